// The panel as a remote instrument: the real main window, offscreen, serving a client from
// its own event loop while its timer polls the simulated supply, and the remote page of the
// measurement window driven by clicks and keys.
#include "measurement/MeasurementWindow.h"
#include "remote/qt/RemoteService.h"
#include "sequence/Runner.h"
#include "support/MainWindowFixture.h"
#include "support/TestClient.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

using Id = MainDialog::ControlId;

struct Polls : session::SessionObserver {
    int count = 0;
    void onStatus(const DeviceStatus&) override { ++count; }
};

class RemotePanel : public MainWindowFixture {
protected:
    // Connected at start, serving on a free port of the loopback interface.
    void openServing() {
        open({"ComPort=com3", "ConnectAtStart=1", "[REMOTE]", "Enabled=1", "Listen=127.0.0.1:0"});
        ASSERT_TRUE(window->isConnected());
        service = window->remoteService();
        ASSERT_TRUE(service->listening());
        window->measurementSession().addObserver(&polls);
    }
    void TearDown() override {
        if (window)
            window->measurementSession().removeObserver(&polls);
        MainWindowFixture::TearDown();
    }
    // A turn of the application's event loop: sockets, the command timer, the poll timer.
    static void turn() { QApplication::processEvents(QEventLoop::AllEvents, 5); }
    std::string ask(TestClient& c, const std::string& line) {
        c.send(line + "\n");
        if (!pumpUntil(turn, [&] { return !c.poll() || c.hasLine(); }) || !c.hasLine())
            return "(no reply)";
        return c.takeLine();
    }
    // The measurement window opened by its key, on the remote page.
    void openPage(QWidget*& page) {
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
        MeasurementWindow* mw = window->measurementWindow();
        ASSERT_NE(mw, nullptr);
        page = mw->findChild<QWidget*>("remotePage");
        ASSERT_NE(page, nullptr);
        mw->pages()->setCurrentWidget(page);
    }
    std::string title() const { return window->windowTitle().toStdString(); }
    bool logged(const std::string& suffix) const {
        for (const std::string& m : logMessages())
            if (m.size() >= suffix.size() &&
                m.compare(m.size() - suffix.size(), suffix.size(), suffix) == 0)
                return true;
        return false;
    }

    RemoteService* service = nullptr;
    Polls polls;
};

TEST_F(RemotePanel, ServesAClientWhileItPollsAndTheFieldsAndTitleFollow) {
    ASSERT_NO_FATAL_FAILURE(openServing());
    EXPECT_EQ(title(), "Quorel");
    TestClient client(service->address());
    ASSERT_TRUE(pumpUntil(turn, [&] { return title() == "Quorel - リモート接続中(1)"; }));

    EXPECT_EQ(ask(client, "APPL 3,0.2;:OUTP ON;:APPL?"), "3.00,0.200");
    EXPECT_EQ(text(Id::IdVoltageEdit), "3.00");
    EXPECT_EQ(text(Id::IdCurrentEdit), "0.200");
    EXPECT_TRUE(logged(": 出力を 3.00V/0.200A にセットしました"));
    EXPECT_TRUE(logged(": 出力を ON しました"));
    EXPECT_DOUBLE_EQ(sim.voltageSetpoint(), 3.0);

    // Queries without pause for three poll periods: the window's own timer keeps polling.
    const int before = polls.count;
    const std::int64_t end = platform::monotonicMs() + 1600;
    int answers = 0;
    while (platform::monotonicMs() < end)
        answers += ask(client, "MEAS:VOLT?") == "3.00";
    EXPECT_GE(polls.count - before, 2);
    EXPECT_GT(answers, 10);
    EXPECT_TRUE(window->outputLampLit()) << "the poll showed the remote switch";

    client.close();
    EXPECT_TRUE(pumpUntil(turn, [&] { return title() == "Quorel"; }));
    EXPECT_TRUE(logged(" が切断しました"));
}

// A client's step list runs on the window's one runner: its driver's timer sets each step,
// the set-point fields follow, and the sequence page's runner cannot start a second run.
TEST_F(RemotePanel, AClientsStepListRunsOnTheWindowsRunnerStepByStep) {
    ASSERT_NO_FATAL_FAILURE(openServing());
    TestClient client(service->address());
    EXPECT_EQ(ask(client, "LIST:VOLT 1,2;:LIST:CURR 0.1,0.1;:LIST:DWEL 0.3,0.3;:INIT;:LIST:STEP?"),
              "1");
    EXPECT_TRUE(window->sequenceRunner().running());
    EXPECT_TRUE(pumpUntil(turn, [&] { return text(Id::IdVoltageEdit) == "2.00"; }));
    EXPECT_TRUE(pumpUntil(turn, [&] { return !window->sequenceRunner().running(); }));
    EXPECT_EQ(ask(client, "LIST:STEP?;:SYST:ERR?"), "0;0,\"No error\"");
    EXPECT_DOUBLE_EQ(sim.voltageSetpoint(), 2.0);
}

TEST_F(RemotePanel, TheFilesAllowListReachesTheServerAndRefusesALoopbackClient) {
    open({"ComPort=com3", "ConnectAtStart=1", "[REMOTE]", "Enabled=1", "Listen=127.0.0.1:0",
          "Allow=10.0.0.0/8"});
    RemoteService* remote = window->remoteService();
    ASSERT_TRUE(remote->listening());
    TestClient client(remote->address());
    client.send("*IDN?\n");
    EXPECT_TRUE(pumpUntil(turn, [&] { return !client.poll(); })) << "closed, not served";
    EXPECT_FALSE(client.hasLine());
    EXPECT_EQ(title(), "Quorel");
}

TEST_F(RemotePanel, IsOffByDefaultAndUnusableValuesGetTheirDefaultsWithALogLine) {
    open({"ComPort=com3"});
    EXPECT_FALSE(window->remoteService()->listening());
    window.reset();
    open({"ComPort=com3", "[REMOTE]", "Enabled=maybe", "Listen=nowhere:1"});
    EXPECT_FALSE(window->remoteService()->listening());
    EXPECT_EQ(logMessages(), (std::vector<std::string>{
                                 "制御ソフト起動しました",
                                 "設定 [REMOTE] Enabled の値が正しくないため既定値を使います",
                                 "設定 [REMOTE] Listen の値が正しくないため既定値を使います"}));
}

TEST_F(RemotePanel, ANetworkAddressWithoutAnAllowListIsNotListenedOnAndTheLogSaysWhy) {
    open({"ComPort=com3", "[REMOTE]", "Enabled=1", "Listen=0.0.0.0:0"});
    EXPECT_FALSE(window->remoteService()->listening());
    EXPECT_EQ(
        logMessages(),
        (std::vector<std::string>{
            "制御ソフト起動しました",
            "リモート制御を 0.0.0.0:0 で開始できません(ループバック以外のアドレスには許可する"
            "ネットワークが必要です。どのホストも許可するときは 0.0.0.0/0 を指定してください)"}));
}

TEST_F(RemotePanel, ThePageSwitchesItOffAndOnKeepsItInTheFileAndListsTheClients) {
    ASSERT_NO_FATAL_FAILURE(openServing());
    QWidget* page = nullptr;
    ASSERT_NO_FATAL_FAILURE(openPage(page));
    auto* state = page->findChild<QLabel*>("remoteState");
    auto* list = page->findChild<QListWidget*>("remoteClients");
    auto* listen = page->findChild<QLineEdit*>("remoteListen");
    auto* enabled = page->findChild<QCheckBox*>("remoteEnabled");
    auto* apply = page->findChild<QPushButton*>("applyRemote");
    const QPoint box(6, enabled->height() / 2); // on the check box itself, not beside its label
    const std::string at = remote::formatEndpoint(service->address());
    EXPECT_EQ(state->text().toStdString(), at + " で待ち受け中");
    EXPECT_TRUE(enabled->isChecked());

    TestClient client(service->address());
    ASSERT_TRUE(pumpUntil(turn, [&] { return list->count() == 1; }));
    EXPECT_EQ(list->item(0)->text().toStdString().rfind("127.0.0.1:", 0), 0u);

    listen->selectAll();
    QTest::keyClicks(listen, "127.0.0.1:99999");
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_EQ(lastLog(), "待ち受けアドレスは ADDR:PORT で設定してください");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(listen->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_TRUE(service->listening()) << "a refused entry changes nothing";

    listen->selectAll();
    QTest::keyClicks(listen, "127.0.0.1:0");
    QTest::mouseClick(enabled, Qt::LeftButton, {}, box);
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_FALSE(service->listening());
    EXPECT_EQ(state->text().toStdString(), "停止中");
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(lastLog(), "リモート制御を停止しました");
    EXPECT_TRUE(pumpUntil(turn, [&] { return !client.poll(); })) << "its client is closed";
    const std::string ini = TempDir::read(dir.file("Quorel.ini"));
    EXPECT_NE(ini.find("[REMOTE]\r\nEnabled=0\r\nListen=127.0.0.1:0\r\n"), std::string::npos)
        << ini;

    QTest::mouseClick(enabled, Qt::LeftButton, {}, box);
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_TRUE(service->listening());
    TestClient again(service->address());
    EXPECT_EQ(ask(again, "*IDN?"), "Quorel,QUOREL,0,1.02");
}

// The page's Apply built the settings anew, so that VXI-11 set in the file was turned off by
// any change of the page; the two boxes switch VXI-11 and the announcement and keep them.
TEST_F(RemotePanel, TheVxi11AndAnnounceBoxesSwitchThemAndApplyKeepsThem) {
    // No system bus for the announcer: the test never reaches a daemon of the host.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quorel-test-bus");
    ASSERT_NO_FATAL_FAILURE(openServing());
    QWidget* page = nullptr;
    ASSERT_NO_FATAL_FAILURE(openPage(page));
    auto* vxi11 = page->findChild<QCheckBox*>("remoteVxi11");
    auto* announce = page->findChild<QCheckBox*>("remoteAnnounce");
    auto* allow = page->findChild<QLineEdit*>("remoteAllow");
    auto* apply = page->findChild<QPushButton*>("applyRemote");
    ASSERT_TRUE(vxi11 && announce && allow && apply);
    EXPECT_FALSE(vxi11->isChecked());
    EXPECT_FALSE(announce->isChecked());
    const QPoint box(6, vxi11->height() / 2);

    QTest::mouseClick(vxi11, Qt::LeftButton, {}, box);
    QTest::mouseClick(announce, Qt::LeftButton, {}, box);
    QTest::mouseClick(apply, Qt::LeftButton);
    ASSERT_TRUE(service->listening());
    EXPECT_TRUE(service->control().server().vxi11Listening());
    EXPECT_TRUE(logged("Avahi デーモンが動いていないため、ネットワークには公開しません"));
    std::string ini = TempDir::read(dir.file("Quorel.ini"));
    EXPECT_NE(ini.find("Vxi11=1\r\nAnnounce=1\r\n"), std::string::npos) << ini;

    allow->selectAll();
    QTest::keyClicks(allow, "127.0.0.1");
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_TRUE(service->control().server().vxi11Listening()) << "kept by another change";
    EXPECT_TRUE(vxi11->isChecked());

    QTest::mouseClick(vxi11, Qt::LeftButton, {}, box);
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_TRUE(service->listening());
    EXPECT_FALSE(service->control().server().vxi11Listening());
    ini = TempDir::read(dir.file("Quorel.ini"));
    EXPECT_NE(ini.find("Vxi11=0\r\nAnnounce=1\r\n"), std::string::npos) << ini;
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

} // namespace
