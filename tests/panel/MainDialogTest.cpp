#include "config/ui/SettingsDialog.h"
#include "device/SupplyDevice.h"
#include "panel/SpinArrows.h"
#include "platform/qt/ControlIds.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using Id = MainDialog::ControlId;

class MainWindow : public MainWindowFixture {
protected:
    // Makes the next status replies say exactly this (without CR LF).
    void deviceReports(const std::string& status) {
        sim.setReplyFilter([status](const std::string& c, const std::string& normal) {
            return std::optional<std::string>(c == "M" ? status + "\r\n" : normal);
        });
    }
    QProgressBar* bar() const { return dynamic_cast<QProgressBar*>(control(Id::IdPowerBar)); }
    bool yellow(int id) const {
        return control(id)->palette().color(QPalette::Base) == QColor(255, 255, 0);
    }
    bool checked(int id) const { return dynamic_cast<QCheckBox*>(control(id))->isChecked(); }
    int boxes(const std::string& text) const {
        int n = 0;
        for (const auto& b : prompter.boxes)
            n += b.text == text && b.caption == "ERROR";
        return n;
    }
};

TEST_F(MainWindow, WithoutConnectAtStartOnlyTheStartIsLoggedAndReadoutsAreEmpty) {
    open();
    EXPECT_EQ(logMessages(), std::vector<std::string>{"制御ソフト起動しました"});
    EXPECT_EQ(text(Id::IdConnectButton), "接続");
    EXPECT_EQ(text(Id::IdPortText), "com3");
    EXPECT_EQ(text(Id::IdHistoryGroup), "出力の履歴(180秒)");
    EXPECT_EQ(text(Id::IdVoltageEdit), "0");
    tick();
    EXPECT_EQ(text(Id::IdVoltageMeter), "--.--");
    EXPECT_EQ(text(Id::IdCurrentMeter), "-.---");
    for (int id : {Id::IdSetVoltage, Id::IdSetCurrent, Id::IdOutputButton, Id::IdLogButton})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(Id::IdVoltageEdit));
    EXPECT_EQ(sim.receivedText(), "");
}

TEST_F(MainWindow, ALongPortNameIsShortenedInTheMiddleAndWholeInTheTooltip) {
    const std::string name = "/dev/serial/by-id/usb-Quorel_Bench_PSU_0042-if00";
    open({"ComPort=" + name});
    auto* port = dynamic_cast<QLabel*>(control(Id::IdPortText));
    ASSERT_NE(port, nullptr);
    const QString shown = port->text();
    EXPECT_TRUE(shown.startsWith("/dev")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("if00")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(port->fontMetrics().horizontalAdvance(shown), port->contentsRect().width());
    EXPECT_EQ(port->toolTip().toStdString(), name);
}

TEST_F(MainWindow, ConnectAtStartShowsVersionAndSetpointsAndNoOutputChange) {
    sim.setSetpoint(12.0, 0.25);
    sim.setVersion("1.02");
    sim.setOutput(true);
    openConnected({"PlotSpan=240"});
    EXPECT_EQ(logMessages(), (std::vector<std::string>{"制御ソフト起動しました",
                                                       "デバイス com3/FW1.02 を接続しました"}));
    EXPECT_EQ(text(Id::IdVoltageEdit), "12.00");
    EXPECT_EQ(text(Id::IdCurrentEdit), "0.250");
    EXPECT_EQ(text(Id::IdConnectButton), "切断");
    EXPECT_EQ(text(Id::IdHistoryGroup), "出力の履歴(240秒)");
    tick();
    EXPECT_EQ(logMessages().size(), 2u);
    EXPECT_EQ(sim.receivedText(), "M");
    EXPECT_TRUE(window->outputLampLit());
}

TEST_F(MainWindow, SecondPressDisconnectsAndTheNextTickEmptiesTheReadouts) {
    openConnected();
    tick();
    EXPECT_NE(text(Id::IdVoltageMeter), "--.--");
    click(Id::IdConnectButton);
    EXPECT_EQ(lastLog(), "デバイスを切断しました");
    EXPECT_FALSE(SupplyDevice::isConnected());
    tick();
    EXPECT_EQ(text(Id::IdVoltageMeter), "--.--");
    EXPECT_EQ(bar()->value(), 0);
    click(Id::IdConnectButton);
    EXPECT_TRUE(window->isConnected());
}

TEST_F(MainWindow, FailedConnectLogsAndShowsOneErrorBox) {
    open({"ComPort=com5", "ConnectAtStart=1"});
    EXPECT_FALSE(window->isConnected());
    EXPECT_EQ(lastLog(), "デバイス com5 を接続できません");
    EXPECT_EQ(boxes("デバイス com5 を接続できません"), 1);
    EXPECT_EQ(prompter.boxes.back().icon, platform::PromptIcon::Stop);
    EXPECT_EQ(text(Id::IdConnectButton), "接続");
}

TEST_F(MainWindow, BadVersionReplyFailsTheConnectAfterTheSetpointsAreShown) {
    sim.setSetpoint(3.0, 0.1);
    sim.setReplyFilter([](const std::string& c, const std::string& normal) {
        return std::optional<std::string>(c == "V" ? "\r\n" : normal);
    });
    open({"ComPort=com3", "ConnectAtStart=1"});
    EXPECT_FALSE(window->isConnected());
    EXPECT_FALSE(SupplyDevice::isConnected());
    EXPECT_EQ(text(Id::IdVoltageEdit), "3.00");
    EXPECT_EQ(lastLog(), "デバイス com3 を接続できません");
}

TEST_F(MainWindow, LongVersionTextIsLoggedWhole) {
    const std::string version(60, 'v');
    sim.setVersion(version);
    openConnected();
    EXPECT_EQ(lastLog(), "デバイス com3/FW" + version + " を接続しました");
}

TEST_F(MainWindow, OutputSwitchedAtTheDeviceIsLoggedWithoutBlanks) {
    openConnected();
    tick();
    sim.setOutput(true);
    tick();
    EXPECT_EQ(lastLog(), "出力をONしました");
    EXPECT_TRUE(window->outputLampLit());
    sim.setOutput(false);
    tick();
    EXPECT_EQ(lastLog(), "出力をOFFしました");
    EXPECT_FALSE(window->outputLampLit());
    EXPECT_FALSE(enabled(Id::IdCvLabel));
    EXPECT_FALSE(enabled(Id::IdCcLabel));
}

TEST_F(MainWindow, ModeIndicatorsFollowConstantCurrentAndConstantVoltage) {
    sim.setSetpoint(5.0, 0.1);
    sim.setLoadOhms(10.0); // 0.5 A wanted, 0.1 A allowed: current limited
    sim.setOutput(true);
    openConnected();
    tick();
    EXPECT_TRUE(enabled(Id::IdCcLabel));
    EXPECT_FALSE(enabled(Id::IdCvLabel));
    EXPECT_EQ(text(Id::IdCurrentMeter), "0.100");
    EXPECT_EQ(text(Id::IdVoltageMeter), "1.00");
    sim.setLoadOhms(100.0);
    tick();
    EXPECT_TRUE(enabled(Id::IdCvLabel));
    EXPECT_FALSE(enabled(Id::IdCcLabel));
    EXPECT_EQ(text(Id::IdVoltageMeter), "5.00");
    EXPECT_EQ(text(Id::IdCurrentMeter), "0.050");
}

TEST_F(MainWindow, ChangeToUsbHostRereadsSetpointsAndRescalesTheBar) {
    sim.setSourceLetter('A');
    openConnected();
    tick();
    EXPECT_EQ(bar()->maximum(), 6000);
    EXPECT_EQ(text(Id::IdScale3), "6.0");
    sim.setSourceLetter('U');
    sim.setSetpoint(4.0, 0.3);
    tick();
    EXPECT_EQ(lastLog(), "USBホスト給電中");
    EXPECT_EQ(text(Id::IdVoltageEdit), "4.00");
    EXPECT_EQ(text(Id::IdCurrentEdit), "0.300");
    EXPECT_EQ(text(Id::IdScale1), "0.5");
    EXPECT_EQ(text(Id::IdScale2), "1.0");
    EXPECT_EQ(text(Id::IdScale3), "1.5");
    EXPECT_EQ(bar()->maximum(), 1500);
    EXPECT_EQ(text(Id::IdSourceText), "USBホスト給電中　最大出力電力1.5W");
    EXPECT_EQ(sim.receivedText(), "MML");
}

TEST_F(MainWindow, AdapterIdleIsLoggedAndShownWithTheirOwnTexts) {
    sim.setSourceLetter('U');
    openConnected();
    sim.setSourceLetter('X');
    tick();
    EXPECT_EQ(lastLog(), "アダプタ接続　未給電中");
    EXPECT_EQ(text(Id::IdSourceText), "ACアダプタ接続　未給電");
    EXPECT_EQ(text(Id::IdScale1), "2.0");
    sim.setSourceLetter('A');
    tick();
    EXPECT_EQ(lastLog(), "アダプタ給電中");
    EXPECT_EQ(text(Id::IdSourceText), "ACアダプタ給電中　最大出力電力6.0W");
}

TEST_F(MainWindow, PowerBarShowsMilliwattsClampedToTheSourcesRange) {
    sim.setSourceLetter('A');
    openConnected();
    deviceReports("ANV0960FA"); // 3.00 V, 0.250 A
    tick();
    EXPECT_EQ(bar()->value(), 750);
    deviceReports("UNV0FA190"); // 5.00 V, 0.400 A on the USB host: 2 W
    tick();
    EXPECT_EQ(bar()->maximum(), 1500);
    EXPECT_EQ(bar()->value(), 1500);
}

TEST_F(MainWindow, DividerCurrentIsSubtractedWhenOffsetAttIsOn) {
    sim.setSourceLetter('A');
    openConnected({"OffsetAtt=1"});
    deviceReports("ANV186064"); // 7.80 V, 0.100 A
    tick();
    EXPECT_EQ(text(Id::IdCurrentMeter), "0.099");
    deviceReports("AFV186000");
    tick();
    EXPECT_EQ(text(Id::IdCurrentMeter), "-0.001");
}

TEST_F(MainWindow, UnpluggedDeviceEndsTheConnectionWithExactlyOneBox) {
    openConnected();
    tick();
    sim.unplug();
    tick();
    EXPECT_FALSE(window->isConnected());
    EXPECT_EQ(text(Id::IdConnectButton), "接続");
    EXPECT_EQ(lastLog(), "デバイスと切断されました");
    EXPECT_EQ(boxes("デバイスと切断されました"), 1);
    tick();
    tick();
    EXPECT_EQ(boxes("デバイスと切断されました"), 1);
    EXPECT_EQ(text(Id::IdVoltageMeter), "--.--");
    EXPECT_EQ(text(Id::IdCurrentMeter), "-.---");
    EXPECT_FALSE(enabled(Id::IdOutputButton));
    EXPECT_FALSE(enabled(Id::IdLogButton));
    // Plugged in again, the operator reconnects by hand.
    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    click(Id::IdConnectButton);
    EXPECT_TRUE(window->isConnected());
}

TEST_F(MainWindow, TicksUnderTheLostDeviceBoxTakeTheDisconnectedBranch) {
    openConnected();
    sim.unplug();
    int ticksInsideBox = 0;
    prompter.onBox = [&](const ScriptedPrompter::Box&) {
        tick();
        ++ticksInsideBox;
    };
    tick();
    EXPECT_EQ(ticksInsideBox, 1);
    EXPECT_EQ(boxes("デバイスと切断されました"), 1);
}

// 0.59 is brought to the grid as 0.58, which in binary lies just below its grid point: the
// device must get the 0.58 V the field, the log and the CSV show, not the step below.
TEST_F(MainWindow, AGridPointHeldJustBelowInBinaryReachesTheDeviceAsShown) {
    openConnected();
    setText(Id::IdVoltageEdit, "0.59");
    setText(Id::IdCurrentEdit, "0.1");
    click(Id::IdSetVoltage);
    EXPECT_EQ(text(Id::IdVoltageEdit), "0.58");
    EXPECT_EQ(lastLog(), "出力を 0.58V/0.100A にセットしました");
    EXPECT_EQ(sim.receivedText(), "S01D064");
}

TEST_F(MainWindow, ExactlyTheUsbCapacityIsSentAsItsBytes) {
    sim.setSourceLetter('U');
    openConnected();
    setText(Id::IdVoltageEdit, "20.00");
    setText(Id::IdCurrentEdit, "0.075");
    click(Id::IdSetVoltage);
    EXPECT_EQ(lastLog(), "出力を 20.00V/0.075A にセットしました");
    EXPECT_EQ(sim.receivedText(), "S3E804B");
    EXPECT_NEAR(sim.voltageSetpoint(), 20.0, 1e-9);
}

TEST_F(MainWindow, RejectedVoltageTurnsYellowUntilAValidSet) {
    openConnected();
    setText(Id::IdVoltageEdit, "20.02");
    click(Id::IdSetVoltage);
    EXPECT_EQ(lastLog(), "許容設定電圧を超えるため設定できません");
    EXPECT_TRUE(yellow(Id::IdVoltageEdit));
    EXPECT_FALSE(yellow(Id::IdCurrentEdit));
    EXPECT_EQ(sim.receivedText(), "");
    EXPECT_DOUBLE_EQ(window->voltageSetpointValue(), -1.0);
    setText(Id::IdVoltageEdit, "3.33");
    setText(Id::IdCurrentEdit, "0.1");
    click(Id::IdSetVoltage);
    EXPECT_FALSE(yellow(Id::IdVoltageEdit));
    EXPECT_EQ(text(Id::IdVoltageEdit), "3.32");
    EXPECT_EQ(lastLog(), "出力を 3.32V/0.100A にセットしました");
}

TEST_F(MainWindow, PowerRejectionMarksTheLeadingField) {
    sim.setSourceLetter('U');
    openConnected();
    setText(Id::IdVoltageEdit, "5.00");
    setText(Id::IdCurrentEdit, "0.400");
    click(Id::IdSetCurrent);
    EXPECT_EQ(lastLog(), "許容電力容量を超えるため設定できません");
    EXPECT_TRUE(yellow(Id::IdCurrentEdit));
    EXPECT_FALSE(yellow(Id::IdVoltageEdit));
    EXPECT_EQ(sim.receivedText(), "");
}

TEST_F(MainWindow, TickedBoxDerivesTheCurrentFromTheCapacity) {
    sim.setSourceLetter('U');
    openConnected();
    click(Id::IdDeriveCurrent);
    setText(Id::IdVoltageEdit, "5.00");
    click(Id::IdSetVoltage);
    EXPECT_EQ(text(Id::IdCurrentEdit), "0.300");
    EXPECT_EQ(lastLog(), "出力を 5.00V/0.300A にセットしました");
    EXPECT_EQ(sim.receivedText(), "S0FA12C");
}

TEST_F(MainWindow, DeriveBoxesExcludeEachOther) {
    open();
    click(Id::IdDeriveCurrent);
    EXPECT_TRUE(checked(Id::IdDeriveCurrent));
    click(Id::IdDeriveVoltage);
    EXPECT_TRUE(checked(Id::IdDeriveVoltage));
    EXPECT_FALSE(checked(Id::IdDeriveCurrent));
}

TEST_F(MainWindow, OnlyDigitsAndPointCanBeTyped) {
    open();
    auto* edit = dynamic_cast<QLineEdit*>(control(Id::IdVoltageEdit));
    edit->clear();
    QTest::keyClicks(edit, "-1a2 .5+");
    EXPECT_EQ(edit->text().toStdString(), "12.5");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text().toStdString(), "12.");
}

TEST_F(MainWindow, ArrowsStepOnTheGridAndClamp) {
    open();
    auto* spin = dynamic_cast<SpinArrows*>(control(Id::IdVoltageSpin));
    setText(Id::IdVoltageEdit, "3.70");
    spin->press(+1);
    EXPECT_EQ(text(Id::IdVoltageEdit), "4.00");
    setText(Id::IdVoltageEdit, "3.70");
    QTest::keyClick(control(Id::IdVoltageEdit), Qt::Key_Down);
    EXPECT_EQ(text(Id::IdVoltageEdit), "3.00");
    setText(Id::IdVoltageEdit, "20.00");
    spin->press(+1);
    EXPECT_EQ(text(Id::IdVoltageEdit), "20.00");
    setText(Id::IdCurrentEdit, "0");
    dynamic_cast<SpinArrows*>(control(Id::IdCurrentSpin))->press(-1);
    EXPECT_EQ(text(Id::IdCurrentEdit), "0.000");
}

TEST_F(MainWindow, OutputButtonLightsAtOnceAndThePollRevealsARefusal) {
    openConnected();
    tick();
    click(Id::IdOutputButton);
    EXPECT_EQ(lastLog(), "出力を ON しました");
    EXPECT_TRUE(window->outputLampLit());
    EXPECT_TRUE(sim.outputOn());
    const auto lines = logMessages().size();
    tick();
    EXPECT_EQ(logMessages().size(), lines);
    click(Id::IdOutputButton);
    EXPECT_EQ(lastLog(), "出力を OFF しました");
    // A switch the device answers "NG" to is said as such; the lamp shows what it confirmed.
    sim.setRefused("N");
    click(Id::IdOutputButton);
    EXPECT_EQ(lastLog(), "出力をONできません(デバイスが正しく応答しません)");
    EXPECT_FALSE(window->outputLampLit());
    tick();
    EXPECT_FALSE(window->outputLampLit());
    sim.setRefused("");
    click(Id::IdOutputButton);
    ASSERT_TRUE(window->outputLampLit());
    sim.setRefused("F");
    click(Id::IdOutputButton);
    EXPECT_EQ(lastLog(), "出力をOFFできません(デバイスが正しく応答しません)");
    tick();
    EXPECT_TRUE(window->outputLampLit());
    EXPECT_TRUE(sim.outputOn());
    // The poll sends the switch-off again once the device takes it.
    sim.setRefused("");
    tick();
    EXPECT_FALSE(sim.outputOn());
    EXPECT_FALSE(window->outputLampLit());
    EXPECT_EQ(lastLog(), "OFFできなかった出力をOFFしました");
}

TEST_F(MainWindow, ScanComesBackOnceTheLostDeviceClosesTheLinkUnderTheSettings) {
    openConnected();
    bool disabledWhileConnected = false;
    bool enabledAfterLoss = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(qobject_cast<SettingsDialog*>(dialog), nullptr);
        auto* scan = platform::controlById<QPushButton>(dialog, SettingsDialog::IdScan);
        disabledWhileConnected = !scan->isEnabled();
        sim.unplug();
        tick(); // the poll goes on under the dialog and finds the device gone
        enabledAfterLoss = QTest::qWaitFor([scan] { return scan->isEnabled(); }, 5000);
        static_cast<QDialog*>(dialog)->reject();
    });
    click(Id::IdSettingsButton);
    EXPECT_TRUE(disabledWhileConnected);
    EXPECT_TRUE(enabledAfterLoss);
    EXPECT_FALSE(window->isConnected());
    EXPECT_EQ(boxes("デバイスと切断されました"), 1);
}

TEST_F(MainWindow, EscapeDoesNotCloseButTheCloseCommandDoesAndLogsIt) {
    openConnected();
    window->show();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    window->OnSysCommand(MainDialog::SysMenuClose);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(lastLog(), "制御ソフト終了します");
    window.reset();
    EXPECT_FALSE(SupplyDevice::isConnected());
}

} // namespace

namespace {

TEST_F(MainWindow, LogPaneDropsTheOldestLinesBeyondItsLimit) {
    open();
    for (int i = 0; i < MainDialog::MaxLogPaneLines + 10; ++i)
        window->AppendSystemLog("line " + std::to_string(i));
    auto lines = logMessages();
    ASSERT_EQ(lines.size(), static_cast<size_t>(MainDialog::MaxLogPaneLines));
    EXPECT_EQ(lines.back(), "line " + std::to_string(MainDialog::MaxLogPaneLines + 9));
    EXPECT_EQ(lines.front(), "line 10");
}

} // namespace
