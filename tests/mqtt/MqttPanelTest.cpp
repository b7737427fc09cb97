// The panel's MQTT section of the remote page, driven by clicks and keys against Debian's
// mosquitto started here on a free port of 127.0.0.1, with its own clients as the other end.
// Skipped where the broker is not installed.
#include "measurement/MeasurementWindow.h"
#include "platform/Socket.h"
#include "support/MainWindowFixture.h"
#include "support/TestClient.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>

namespace {

void turn() {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Runs a client of the broker to its end while the window's loop goes on; its output.
std::string runClient(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(5000))
        return "(not started)";
    pumpUntil(turn, [&] { return p.state() == QProcess::NotRunning; });
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished(2000);
    }
    return p.readAllStandardOutput().toStdString();
}

class MqttPanel : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (QStandardPaths::findExecutable("mosquitto").isEmpty() ||
            QStandardPaths::findExecutable("mosquitto_sub").isEmpty())
            GTEST_SKIP() << "mosquitto and its clients are not installed";
        const platform::SocketAddress loopback{0x7f000001, 0};
        platform::SocketHandle probe = platform::NoSocket;
        platform::SocketAddress bound;
        ASSERT_EQ(platform::listenTcp(loopback, probe, bound), platform::SocketResult::Ok);
        platform::closeSocket(probe);
        port = bound.port;
        const std::string conf = dir.file("mosquitto.conf");
        TempDir::write(conf, "persistence false\nlistener " + std::to_string(port) +
                                 " 127.0.0.1\nallow_anonymous true\n");
        broker.start("mosquitto", {"-c", QString::fromStdString(conf)});
        ASSERT_TRUE(broker.waitForStarted(5000));
        // Its port answers once it listens.
        ASSERT_TRUE(pumpUntil(turn, [&] {
            return retained("$SYS/broker/version").rfind("mosquitto", 0) == 0;
        })) << "the broker did not start";
    }
    void TearDown() override {
        MainWindowFixture::TearDown(); // the bridge says offline while the broker still runs
        if (broker.state() != QProcess::NotRunning) {
            broker.terminate();
            if (!broker.waitForFinished(5000))
                broker.kill();
            broker.waitForFinished(2000);
        }
    }
    // The retained message of a topic, or "" when the broker keeps none.
    std::string retained(const std::string& topic) {
        return runClient("mosquitto_sub",
                         {"-h", "127.0.0.1", "-p", QString::number(port), "-t",
                          QString::fromStdString(topic), "--retained-only", "-C", "1", "-W", "1"});
    }
    void publish(const std::string& topic, const std::string& payload) {
        runClient("mosquitto_pub",
                  {"-h", "127.0.0.1", "-p", QString::number(port), "-q", "1", "-t",
                   QString::fromStdString(topic), "-m", QString::fromStdString(payload)});
    }
    QWidget* openPage() {
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
        MeasurementWindow* mw = window->measurementWindow();
        QWidget* page = mw ? mw->findChild<QWidget*>("remotePage") : nullptr;
        if (page)
            mw->pages()->setCurrentWidget(page);
        return page;
    }
    bool logged(const std::string& line) const {
        for (const std::string& m : logMessages())
            if (m == line)
                return true;
        return false;
    }

    std::uint16_t port = 0;
    QProcess broker;
};

TEST_F(MqttPanel, TheSectionStartsItWithControlTakesACommandDropsTheEntitiesAndStopsIt) {
    open({"ComPort=com3", "ConnectAtStart=1", "[REMOTE]", "Enabled=1", "Listen=127.0.0.1:0"});
    ASSERT_TRUE(window->isConnected());
    QWidget* page = openPage();
    ASSERT_NE(page, nullptr);
    auto* enabled = page->findChild<QCheckBox*>("mqttEnabled");
    auto* brokerUrl = page->findChild<QLineEdit*>("mqttBroker");
    auto* node = page->findChild<QLineEdit*>("mqttNode");
    auto* discovery = page->findChild<QCheckBox*>("mqttDiscovery");
    auto* control = page->findChild<QCheckBox*>("mqttControl");
    auto* state = page->findChild<QLabel*>("mqttState");
    auto* apply = page->findChild<QPushButton*>("applyMqtt");
    ASSERT_TRUE(enabled && brokerUrl && node && discovery && control && state && apply);
    EXPECT_FALSE(enabled->isChecked()) << "off by default";
    EXPECT_TRUE(discovery->isChecked());
    EXPECT_FALSE(control->isChecked());
    EXPECT_EQ(state->text().toStdString(), "停止中");
    const QPoint box(6, enabled->height() / 2); // on the check box itself, not its label

    const std::string at = "127.0.0.1:" + std::to_string(port);
    QTest::mouseClick(enabled, Qt::LeftButton, {}, box);
    brokerUrl->selectAll();
    QTest::keyClicks(brokerUrl, QString::fromStdString("mqtt://" + at));
    node->selectAll();
    QTest::keyClicks(node, "bench1");
    QTest::mouseClick(control, Qt::LeftButton, {}, box);
    QTest::mouseClick(apply, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil(turn, [&] { return state->text().toStdString() == "接続中 (bench1)"; }))
        << state->text().toStdString();
    EXPECT_TRUE(logged("MQTTブローカー " + at + " に接続しました"));
    EXPECT_TRUE(
        logged("MQTTからの制御が、匿名または暗号化されていないブローカーで有効になっています"));
    const std::string ini = TempDir::read(dir.file("Quorel.ini"));
    for (const std::string& kept :
         std::vector<std::string>{"Enabled=1", "Broker=mqtt://" + at, "NodeId=bench1", "Control=1"})
        EXPECT_NE(ini.find(kept + "\r\n"), std::string::npos) << kept << " in\n" << ini;

    EXPECT_EQ(retained("quorel/bench1/availability"), "online\n");
    EXPECT_EQ(retained("quorel/bench1/device"), "online\n");
    EXPECT_NE(retained("homeassistant/switch/bench1/output/config"), "");

    // A command through the set-point rules reaches the supply.
    publish("quorel/bench1/set/output", "ON");
    EXPECT_TRUE(pumpUntil(turn, [&] { return sim.outputOn(); }));
    EXPECT_TRUE(pumpUntil(turn, [&] { return window->outputLampLit(); }));

    // Discovery unticked: the entities leave the broker, the bridge goes on.
    QTest::mouseClick(discovery, Qt::LeftButton, {}, box);
    QTest::mouseClick(apply, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil(turn, [&] { return state->text().toStdString() == "接続中 (bench1)"; }));
    EXPECT_EQ(retained("homeassistant/switch/bench1/output/config"), "");
    EXPECT_EQ(retained("homeassistant/sensor/bench1/voltage/config"), "");
    EXPECT_TRUE(sim.outputOn()) << "a restart of the bridge leaves the output alone";

    // Enabled unticked: stopped, and the program's availability says so.
    QTest::mouseClick(enabled, Qt::LeftButton, {}, box);
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_EQ(state->text().toStdString(), "停止中");
    EXPECT_TRUE(logged("MQTTを停止しました"));
    EXPECT_EQ(retained("quorel/bench1/availability"), "offline\n");
    EXPECT_NE(TempDir::read(dir.file("Quorel.ini")).find("[MQTT]\r\nEnabled=0\r\nDiscovery=0\r\n"),
              std::string::npos);
}

} // namespace
