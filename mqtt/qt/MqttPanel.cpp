// The panel's MQTT and its section of the remote page.
#include "mqtt/qt/MqttPanel.h"

#include "mqtt/qt/MqttService.h"
#include "platform/qt/Accessible.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "sequence/Runner.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace panel {

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Enabled, the broker, the node, discovery and control, the state, with an apply button of
// its own. The other keys of [MQTT] (the user, the files, the topics, the interval) are kept
// as Quorel.ini has them.
class MqttSection : public QGroupBox {
public:
    MqttSection(MqttService& service, QWidget* parent)
        : QGroupBox(QStringLiteral("MQTT"), parent), service_(service) {
        setObjectName("mqttSection");
        auto* grid = new QGridLayout(this);
        enabled_ = new QCheckBox(qs(texts::MqttEnabled), this);
        enabled_->setObjectName("mqttEnabled");
        platform::describe(enabled_, texts::A11yMqttEnabledHelp);
        grid->addWidget(enabled_, 0, 0, 1, 2);
        broker_ = line(grid, 1, texts::MqttBroker, "mqttBroker");
        platform::describe(broker_, texts::A11yMqttBrokerHelp);
        node_ = line(grid, 2, texts::MqttNode, "mqttNode");
        platform::describe(node_, texts::A11yMqttNodeHelp);
        discovery_ = new QCheckBox(qs(texts::MqttDiscovery), this);
        discovery_->setObjectName("mqttDiscovery");
        platform::describe(discovery_, texts::A11yMqttDiscoveryHelp);
        grid->addWidget(discovery_, 3, 0, 1, 2);
        control_ = new QCheckBox(qs(texts::MqttControl), this);
        control_->setObjectName("mqttControl");
        platform::describe(control_, texts::A11yMqttControlHelp);
        grid->addWidget(control_, 4, 0, 1, 2);
        grid->addWidget(new QLabel(qs(texts::MqttState), this), 5, 0);
        state_ = new QLabel(this);
        state_->setObjectName("mqttState");
        grid->addWidget(state_, 5, 1);
        auto* apply = new QPushButton(qs(texts::ButtonApply), this);
        apply->setObjectName("applyMqtt");
        platform::describe(apply, texts::A11yApplyHelp);
        grid->addWidget(apply, 6, 1, Qt::AlignRight);
        connect(apply, &QPushButton::clicked, this, [this] { applyNow(); });
        connect(&service_, &MqttService::changed, this, [this] { showState(); });
        const mqtt::MqttSettings& s = service_.settings();
        enabled_->setChecked(s.enabled);
        broker_->setText(QString::fromStdString(s.broker));
        node_->setText(QString::fromStdString(s.nodeId));
        discovery_->setChecked(s.discovery);
        control_->setChecked(s.control);
        showState();
    }

private:
    QLineEdit* line(QGridLayout* grid, int row, const texts::Text& label, const char* name) {
        grid->addWidget(new QLabel(qs(label), this), row, 0);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setAccessibleName(qs(label));
        grid->addWidget(edit, row, 1);
        return edit;
    }
    void showState() {
        const char* word = !service_.running()    ? texts::MqttStateOff
                           : service_.connected() ? texts::MqttStateConnected
                                                  : texts::MqttStateWaiting;
        state_->setText(service_.running()
                            ? qs(word) + QStringLiteral(" (") +
                                  QString::fromStdString(service_.node()) + QStringLiteral(")")
                            : qs(word));
    }
    void applyNow() {
        mqtt::MqttSettings wanted = service_.settings();
        wanted.enabled = enabled_->isChecked();
        wanted.broker = broker_->text().trimmed().toStdString();
        wanted.nodeId = node_->text().trimmed().toStdString();
        wanted.discovery = discovery_->isChecked();
        wanted.control = control_->isChecked();
        service_.apply(wanted);
    }

    MqttService& service_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* broker_ = nullptr;
    QLineEdit* node_ = nullptr;
    QCheckBox* discovery_ = nullptr;
    QCheckBox* control_ = nullptr;
    QLabel* state_ = nullptr;
};

} // namespace

QObject* startMqttService(session::MeasurementSession& session, const Settings& settings,
                          MqttLog log, const sequence::Runner& runner, QObject* parent) {
    auto* service = new MqttService(session, settings, std::move(log), parent);
    service->bridge().setRunGoing([&runner] { return runner.running(); });
    service->startFromSettings();
    return service;
}

QWidget* makeMqttSection(QObject* service, QWidget* parent) {
    auto* s = qobject_cast<MqttService*>(service);
    return s ? new MqttSection(*s, parent) : nullptr;
}

} // namespace panel
