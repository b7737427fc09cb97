#include "FaultTestSupport.h"
#include "device/SupplyDevice.h"

#include <functional>
#include <ostream>

// Every fault the simulated supply can produce, met by the real window: where it ends up,
// which boxes and log lines the operator gets, how long one handler kept the window busy,
// and what became of a running CSV log.
namespace {

using Id = MainDialog::ControlId;

const std::string ConnectFailed = "デバイス com3 を接続できません";
const std::string Lost = "デバイスと切断されました";

enum class Action {
    ConnectAtStart, // the fault is there when the window opens with ConnectAtStart on
    ConnectButton,  // the fault is there when the operator presses 接続
    Poll,           // the fault comes while connected, with a CSV log running
};
enum class End { Connected, ConnectFailed, Lost };

struct Fault {
    const char* name;
    Action action;
    std::function<void(sim::SimulatedSupply&)> inject;
    End end;
    // The longest the handler that meets the fault may take: a tick, or a whole connect.
    int boundMs;
    // The firmware version a successful connect logs.
    const char* firmware = "1.02";
};
void PrintTo(const Fault& f, std::ostream* os) {
    *os << f.name;
}

// A tick meets a silent device for one command: 20 ms of pacing and five reads of 100 ms.
constexpr int TickBoundMs = 900;
// A connect to a silent device makes ten attempts of about 130 ms.
constexpr int ConnectBoundMs = 2200;
// A hang-up is seen at the first read.
constexpr int HangUpBoundMs = 400;

class WindowUnderFault : public WindowWithCsv, public testing::WithParamInterface<Fault> {
protected:
    // Ticks run under the lost-device box, as the timer keeps firing in its modal loop.
    void tickUnderBoxes() {
        prompter.onBox = [this](const ScriptedPrompter::Box&) {
            if (underBox++ == 0)
                underBoxMs = timedMs([this] { poll(2); });
        };
    }
    int underBox = 0;
    std::int64_t underBoxMs = 0;
};

TEST_P(WindowUnderFault, EndsInItsDescribedStateWithinTheTransportBounds) {
    const Fault& f = GetParam();
    std::string csvBefore;
    std::int64_t busyMs = 0;

    switch (f.action) {
    case Action::ConnectAtStart:
        f.inject(sim);
        busyMs = timedMs([&] { open({"ComPort=com3", "ConnectAtStart=1"}); });
        break;
    case Action::ConnectButton:
        open();
        poll(1);
        f.inject(sim);
        busyMs = timedMs([&] { click(Id::IdConnectButton); });
        break;
    case Action::Poll:
        openConnected();
        click(Id::IdLogButton);
        ASSERT_TRUE(window->measurementLogRunning());
        poll(6);
        csvBefore = TempDir::read(csv);
        tickUnderBoxes();
        f.inject(sim);
        // The ticks run under the box are the timer's, not this tick's.
        busyMs = timedMs([&] { poll(1); }) - underBoxMs;
        break;
    }
    std::printf("[ %s ] handler busy %lld ms\n", f.name, static_cast<long long>(busyMs));
    RecordProperty("busy_ms", static_cast<int>(busyMs));
    EXPECT_LT(busyMs, f.boundMs);

    switch (f.end) {
    case End::Connected:
        EXPECT_TRUE(window->isConnected());
        EXPECT_TRUE(SupplyDevice::isConnected());
        EXPECT_EQ(text(Id::IdConnectButton), "切断");
        EXPECT_TRUE(prompter.boxes.empty());
        if (f.action != Action::Poll) {
            EXPECT_EQ(lastLog(), std::string("デバイス com3/FW") + f.firmware + " を接続しました");
        } else {
            // The log goes on behind the lines it already has.
            poll(2);
            const std::string after = TempDir::read(csv);
            EXPECT_EQ(after.compare(0, csvBefore.size(), csvBefore), 0);
            EXPECT_GT(after.size(), csvBefore.size());
        }
        break;

    case End::ConnectFailed:
        EXPECT_FALSE(window->isConnected());
        EXPECT_FALSE(SupplyDevice::isConnected());
        EXPECT_EQ(text(Id::IdConnectButton), "接続");
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].text, ConnectFailed);
        EXPECT_EQ(prompter.boxes[0].caption, "ERROR");
        EXPECT_EQ(prompter.boxes[0].icon, platform::PromptIcon::Stop);
        EXPECT_EQ(prompter.boxes[0].buttons, platform::PromptButtons::Ok);
        EXPECT_EQ(lastLog(), ConnectFailed);
        EXPECT_EQ(logCount(ConnectFailed), 1);
        if (f.action == Action::ConnectAtStart) {
            EXPECT_EQ(logMessages(),
                      (std::vector<std::string>{"制御ソフト起動しました", ConnectFailed}));
        }
        break;

    case End::Lost:
        EXPECT_FALSE(window->isConnected());
        EXPECT_FALSE(SupplyDevice::isConnected());
        EXPECT_EQ(text(Id::IdConnectButton), "接続");
        EXPECT_EQ(logCount(Lost), 1);
        // Ticks under the box took the disconnected branch at once and closed the log.
        EXPECT_EQ(underBox, 1);
        EXPECT_LT(underBoxMs, HangUpBoundMs);
        EXPECT_FALSE(window->measurementLogRunning());
        break;
    }

    // Whatever happened, the ticks that follow are quick and show the state reached.
    poll(1);
    const std::int64_t nextMs = timedMs([&] { poll(1); });
    if (f.end != End::Connected) {
        EXPECT_LT(nextMs, HangUpBoundMs);
        EXPECT_EQ(text(Id::IdVoltageMeter), "--.--");
        EXPECT_EQ(text(Id::IdCurrentMeter), "-.---");
        for (int id : {Id::IdSetVoltage, Id::IdSetCurrent, Id::IdOutputButton, Id::IdLogButton})
            EXPECT_FALSE(enabled(id)) << id;
        EXPECT_EQ(text(Id::IdLogButton), "開始");
    }
    if (f.end == End::Lost) {
        EXPECT_EQ(boxCount(Lost), 1);
        EXPECT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].caption, "ERROR");
        EXPECT_EQ(prompter.boxes[0].icon, platform::PromptIcon::Stop);
        // Every line written before the fault is there, whole, and nothing after it.
        const std::string after = TempDir::read(csv);
        EXPECT_EQ(after, csvBefore);
        bool complete = false;
        EXPECT_EQ(csvLines(after, &complete).size(), 3u);
        EXPECT_TRUE(complete) << after;
    }
}

// The first reply to "X" preceded by line noise, as just after plugging in.
void noiseBeforeFirstSync(sim::SimulatedSupply& s) {
    auto first = std::make_shared<bool>(true);
    s.setReplyFilter([first](const std::string& c, const std::string& normal) {
        if (c == "X" && *first) {
            *first = false;
            return std::optional<std::string>(std::string("\xFF\x00", 2) + normal);
        }
        return std::optional<std::string>(normal);
    });
}

auto unplugOn(char letter, bool midReply = false) {
    return [letter, midReply](sim::SimulatedSupply& s) { s.setUnplugOn(letter, midReply); };
}
auto refused(const char* letters) {
    return [letters](sim::SimulatedSupply& s) { s.setRefused(letters); };
}
auto syncIgnored(int k) {
    return [k](sim::SimulatedSupply& s) { s.setSyncIgnored(k); };
}
auto replyDelay(int ms) {
    return [ms](sim::SimulatedSupply& s) { s.setReplyDelayMs(ms); };
}
void silent(sim::SimulatedSupply& s) {
    s.setSilent(true);
}
void split(sim::SimulatedSupply& s) {
    s.setSplitReplies(true, 15);
}
void junkBefore(sim::SimulatedSupply& s) {
    s.setJunk("#", "");
}
void junkAfter(sim::SimulatedSupply& s) {
    s.setJunk("", "#");
}
void unplugged(sim::SimulatedSupply& s) {
    s.unplug();
}

std::string caseName(const testing::TestParamInfo<Fault>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(AtStart, WindowUnderFault,
                         testing::Values(Fault{"Absent", Action::ConnectAtStart, unplugged,
                                               End::ConnectFailed, HangUpBoundMs},
                                         Fault{"Silent", Action::ConnectAtStart, silent,
                                               End::ConnectFailed, ConnectBoundMs},
                                         Fault{"FirstThreeSyncsUnanswered", Action::ConnectAtStart,
                                               syncIgnored(3), End::Connected, ConnectBoundMs}),
                         caseName);

INSTANTIATE_TEST_SUITE_P(
    ConnectButton, WindowUnderFault,
    testing::Values(
        Fault{"Silent", Action::ConnectButton, silent, End::ConnectFailed, ConnectBoundMs},
        Fault{"FirstThreeSyncsUnanswered", Action::ConnectButton, syncIgnored(3), End::Connected,
              ConnectBoundMs},
        Fault{"FirstNineSyncsUnanswered", Action::ConnectButton, syncIgnored(9), End::Connected,
              ConnectBoundMs},
        Fault{"TenSyncsUnanswered", Action::ConnectButton, syncIgnored(10), End::ConnectFailed,
              ConnectBoundMs},
        Fault{"NoiseBeforeFirstSync", Action::ConnectButton, noiseBeforeFirstSync, End::Connected,
              ConnectBoundMs},
        // A late "NG" may still end the synchronisation, but the identification then reads
        // the answer to a later "X", or nothing.
        Fault{"RepliesLaterThanFiveReads", Action::ConnectButton, replyDelay(700),
              End::ConnectFailed, ConnectBoundMs},
        // Every reply byte by byte, each in a read of its own, is still collected whole.
        Fault{"RepliesSplitIntoSingleBytes", Action::ConnectButton, split, End::Connected,
              ConnectBoundMs},
        Fault{"JunkBeforeEveryReply", Action::ConnectButton, junkBefore, End::ConnectFailed,
              ConnectBoundMs},
        Fault{"JunkAfterEveryReply", Action::ConnectButton, junkAfter, End::ConnectFailed,
              ConnectBoundMs},
        Fault{"IdentifyRefused", Action::ConnectButton, refused("I"), End::ConnectFailed,
              ConnectBoundMs},
        Fault{"SetpointQueryRefused", Action::ConnectButton, refused("L"), End::ConnectFailed,
              ConnectBoundMs},
        Fault{"StatusRefused", Action::ConnectButton, refused("M"), End::ConnectFailed,
              ConnectBoundMs},
        // "NG\r\n" has the three bytes a version needs: the device is taken as firmware "NG".
        Fault{"VersionRefusedPassesAsVersionNG", Action::ConnectButton, refused("V"),
              End::Connected, ConnectBoundMs, "NG"},
        Fault{"BootLoaderOnThePort", Action::ConnectButton,
              [](sim::SimulatedSupply& s) { s.replug(sim::Mode::BootLoader); }, End::ConnectFailed,
              ConnectBoundMs},
        Fault{"Unplugged", Action::ConnectButton, unplugged, End::ConnectFailed, HangUpBoundMs},
        Fault{"UnpluggedAtSync", Action::ConnectButton, unplugOn('X'), End::ConnectFailed,
              HangUpBoundMs},
        Fault{"UnpluggedAtIdentify", Action::ConnectButton, unplugOn('I'), End::ConnectFailed,
              HangUpBoundMs},
        Fault{"UnpluggedMidIdentifyReply", Action::ConnectButton, unplugOn('I', true),
              End::ConnectFailed, HangUpBoundMs},
        Fault{"UnpluggedAtSetpointQuery", Action::ConnectButton, unplugOn('L'), End::ConnectFailed,
              HangUpBoundMs},
        Fault{"UnpluggedAtStatus", Action::ConnectButton, unplugOn('M'), End::ConnectFailed,
              HangUpBoundMs},
        Fault{"UnpluggedAtVersion", Action::ConnectButton, unplugOn('V'), End::ConnectFailed,
              HangUpBoundMs}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Poll, WindowUnderFault,
    testing::Values(
        Fault{"Silent", Action::Poll, silent, End::Lost, TickBoundMs},
        Fault{"ReplyLaterThanFiveReads", Action::Poll, replyDelay(700), End::Lost, TickBoundMs},
        Fault{"SlowReplyWithinFiveReads", Action::Poll, replyDelay(250), End::Connected,
              TickBoundMs},
        // Eleven bytes one by one: only reads that wait in vain count toward a reply's five.
        Fault{"StatusSplitIntoSingleBytes", Action::Poll, split, End::Connected, TickBoundMs},
        Fault{"JunkBeforeStatus", Action::Poll, junkBefore, End::Lost, TickBoundMs},
        Fault{"JunkAfterStatus", Action::Poll, junkAfter, End::Lost, TickBoundMs},
        Fault{"StatusRefused", Action::Poll, refused("M"), End::Lost, TickBoundMs},
        // More than a reply buffer holds: the reads stop at its end and take no longer.
        Fault{"FloodOfJunkBeforeStatus", Action::Poll,
              [](sim::SimulatedSupply& s) { s.setJunk(std::string(300, '#'), ""); }, End::Lost,
              TickBoundMs},
        Fault{"SetpointQueryRefusedOnChangeToUsbHost", Action::Poll,
              [](sim::SimulatedSupply& s) {
                  s.setSourceLetter('U');
                  s.setRefused("L");
              },
              End::Lost, TickBoundMs},
        Fault{"SetpointQuerySilentOnChangeToUsbHost", Action::Poll,
              [](sim::SimulatedSupply& s) {
                  s.setSourceLetter('U');
                  s.setReplyFilter([](const std::string& c, const std::string& normal) {
                      return c == "L" ? std::nullopt : std::optional<std::string>(normal);
                  });
              },
              End::Lost, TickBoundMs},
        Fault{"UnpluggedBetweenPolls", Action::Poll, unplugged, End::Lost, HangUpBoundMs},
        Fault{"UnpluggedAtStatus", Action::Poll, unplugOn('M'), End::Lost, HangUpBoundMs},
        Fault{"UnpluggedMidStatusReply", Action::Poll, unplugOn('M', true), End::Lost,
              HangUpBoundMs},
        // Plugged in again before the next poll: the window's link went with the old port.
        Fault{"RepluggedBetweenPolls", Action::Poll,
              [](sim::SimulatedSupply& s) { s.replug(sim::Mode::MainFirmware); }, End::Lost,
              HangUpBoundMs}),
    caseName);

class ReplugWindow : public WindowWithCsv {};

TEST_F(ReplugWindow, ReconnectAfterLossWorksOnTheNewPortWithoutResumingTheLog) {
    openConnected();
    click(Id::IdLogButton);
    poll(4);
    sim.unplug();
    poll(2);
    ASSERT_FALSE(window->isConnected());
    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    sim.setVersion("1.03");
    click(Id::IdConnectButton);
    EXPECT_TRUE(window->isConnected());
    EXPECT_EQ(lastLog(), "デバイス com3/FW1.03 を接続しました");
    EXPECT_EQ(boxCount(Lost), 1);
    EXPECT_EQ(prompter.boxes.size(), 1u);
    poll(2);
    EXPECT_NE(text(Id::IdVoltageMeter), "--.--");
    EXPECT_TRUE(enabled(Id::IdLogButton));
    EXPECT_EQ(text(Id::IdLogButton), "開始");
    EXPECT_FALSE(window->measurementLogRunning());
}

TEST_F(ReplugWindow, ReconnectRightAfterALateReplyIsNotMisledByItsTail) {
    openConnected();
    sim.setReplyDelayMs(700);
    poll(1);
    ASSERT_FALSE(window->isConnected());
    // The late status reply is still on its way when the operator presses 接続 again.
    sim.setReplyDelayMs(0);
    click(Id::IdConnectButton);
    EXPECT_TRUE(window->isConnected());
    EXPECT_EQ(prompter.boxes.size(), 1u);
    poll(2);
    EXPECT_TRUE(window->isConnected());
    EXPECT_NE(text(Id::IdVoltageMeter), "--.--");
}

TEST_F(ReplugWindow, BootLoaderPluggedInPlaceOfTheSupplyIsRefusedAndTheSupplyThenAccepted) {
    open();
    sim.replug(sim::Mode::BootLoader);
    click(Id::IdConnectButton);
    EXPECT_FALSE(window->isConnected());
    EXPECT_EQ(lastLog(), ConnectFailed);
    sim.replug(sim::Mode::MainFirmware);
    click(Id::IdConnectButton);
    EXPECT_TRUE(window->isConnected());
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

class SwitchingUnderFault : public WindowWithCsv {};

// "OK\r\n" one byte at a time is an acknowledgement like any other.
TEST_F(SwitchingUnderFault, SplitAcknowledgementStillSwitchesTheOutput) {
    openConnected();
    poll(1);
    sim.setSplitReplies(true, 15);
    click(Id::IdOutputButton);
    EXPECT_TRUE(sim.outputOn());
    EXPECT_TRUE(window->outputLampLit());
    EXPECT_EQ(lastLog(), "出力を ON しました");
    sim.setSplitReplies(false);
    poll(1);
    EXPECT_TRUE(window->isConnected());
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(logCount("出力をONしました"), 0);
}

} // namespace
