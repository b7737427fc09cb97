// The panel's HTTP server and its section of the remote page.
#include "http/qt/HttpPanel.h"

#include "http/Token.h"
#include "http/qt/HttpService.h"
#include "platform/Paths.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/Prompter.h"
#include "remote/RemoteMessages.h"
#include "remote/qt/RemoteService.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "sequence/Runner.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace panel {

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Enabled, Listen, the state and the token, with an apply button of its own.
class HttpSection : public QGroupBox {
public:
    HttpSection(HttpService& service, HttpLog log, QWidget* parent)
        : QGroupBox(QStringLiteral("HTTP"), parent), service_(service), log_(std::move(log)) {
        setObjectName("httpSection");
        auto* grid = new QGridLayout(this);
        enabled_ = new QCheckBox(qs(texts::HttpEnabled), this);
        enabled_->setObjectName("httpEnabled");
        platform::describe(enabled_, texts::A11yHttpEnabledHelp);
        grid->addWidget(enabled_, 0, 0, 1, 2);
        grid->addWidget(new QLabel(qs(texts::HttpListen), this), 1, 0);
        listen_ = new QLineEdit(this);
        listen_->setObjectName("httpListen");
        listen_->setAccessibleName(qs(texts::HttpListen));
        platform::describe(listen_, texts::A11yRemoteListenHelp);
        grid->addWidget(listen_, 1, 1);
        grid->addWidget(new QLabel(qs(texts::HttpState), this), 2, 0);
        state_ = new QLabel(this);
        state_->setObjectName("httpState");
        grid->addWidget(state_, 2, 1);
        grid->addWidget(new QLabel(qs(texts::HttpToken), this), 3, 0);
        token_ = new QLineEdit(QString::fromStdString(service_.control().token()), this);
        token_->setObjectName("httpToken");
        token_->setReadOnly(true);
        token_->setAccessibleName(qs(texts::HttpToken));
        platform::describe(token_, texts::A11yHttpTokenHelp);
        grid->addWidget(token_, 3, 1);
        auto* apply = new QPushButton(qs(texts::ButtonApply), this);
        apply->setObjectName("applyHttp");
        platform::describe(apply, texts::A11yApplyHelp);
        grid->addWidget(apply, 4, 1, Qt::AlignRight);
        connect(apply, &QPushButton::clicked, this, [this] { applyNow(); });
        connect(&service_, &HttpService::changed, this, [this] { showState(); });
        enabled_->setChecked(service_.settings().enabled);
        listen_->setText(
            QString::fromStdString(remote::formatEndpoint(service_.settings().listen)));
        showState();
    }

private:
    void showState() {
        state_->setText(service_.listening()
                            ? QString::fromStdString(texts::fill(
                                  texts::RemoteListening,
                                  remote::formatEndpoint(service_.control().server().address())))
                            : qs(texts::RemoteNotListening));
    }
    void applyNow() {
        http::HttpSettings wanted;
        wanted.enabled = enabled_->isChecked();
        const std::string listen = listen_->text().trimmed().toStdString();
        if (listen.find(':') == std::string::npos ||
            remote::parseEndpoint(listen, wanted.listen) != remote::AddressError::None) {
            log_(texts::LogRemoteListenRefused.str());
            platform::prompter().messageBox(this, texts::LogRemoteListenRefused.str(),
                                            texts::CaptionError.str(), platform::PromptIcon::Stop,
                                            platform::PromptButtons::Ok);
            return;
        }
        const remote::StartResult r = service_.apply(wanted);
        if (r != remote::StartResult::Ok && r != remote::StartResult::AlreadyListening)
            platform::prompter().messageBox(this, remote::startFailedMessage(r, wanted.listen),
                                            texts::CaptionError.str(), platform::PromptIcon::Stop,
                                            platform::PromptButtons::Ok);
    }

    HttpService& service_;
    HttpLog log_;
    QCheckBox* enabled_ = nullptr;
    QLineEdit* listen_ = nullptr;
    QLabel* state_ = nullptr;
    QLineEdit* token_ = nullptr;
};

} // namespace

QObject* startHttpService(session::MeasurementSession& session, const CIni& ini, HttpLog log,
                          const sequence::Runner& runner, RemoteService* remote, QObject* parent) {
    const auto token = http::loadOrMakeToken(platform::settingsDirectory(), false);
    if (!token) {
        log(texts::LogHttpTokenFailed.str());
        return nullptr;
    }
    auto* service = new HttpService(session, ini, log, *token, parent);
    service->control().setRunGoing([&runner] { return runner.running(); });
    // The remote service may go first when the window closes.
    service->control().setWaysInFrom([remote = QPointer<RemoteService>(remote)] {
        http::WaysIn ways;
        if (remote && remote->listening()) {
            ways.scpiPort = remote->address().port;
            ways.vxi11 = remote->control().server().vxi11Listening();
        }
        return ways;
    });
    // The announcement on the network names the HTTP server while it listens.
    if (remote) {
        remote->setHttpPortFrom([s = QPointer<HttpService>(service)]() {
            return s && s->listening()
                       ? std::optional<std::uint16_t>(s->control().server().address().port)
                       : std::nullopt;
        });
        QObject::connect(service, &HttpService::changed, remote, &RemoteService::reannounce);
    }
    service->startFromSettings();
    return service;
}

QWidget* makeHttpSection(QObject* service, HttpLog log, QWidget* parent) {
    auto* s = qobject_cast<HttpService*>(service);
    return s ? new HttpSection(*s, std::move(log), parent) : nullptr;
}

} // namespace panel
