#include "HistoryTestSupport.h"

#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "history/HistoryRecorder.h"
#include "history/SpanStatistics.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "session/MeasurementSession.h"
#include "simulator/SimulatedSupply.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// A real session against the simulated supply, its polls stamped by a monotonic clock that
// steps unevenly, and the history recorded beside it as the main window records it.
class RecordedSession : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setExecutableDirectoryForTest(dir.path());
        platform::setClockForTest([this] { return 1'800'000'000 + clockMs / 1000; });
        TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\n");
        ASSERT_TRUE(sim.start());
        settings = std::make_unique<Settings>();
        session = std::make_unique<session::MeasurementSession>(*settings);
        session->setMonotonicClockForTest([this] { return clockMs; });
        recorder = std::make_unique<history::HistoryRecorder>(*session);
        sim.setSourceLetter('A');
        sim.setLoadOhms(20.0);
        sim.setSetpoint(9.0, 0.6);
        sim.setOutput(true);
        sim.setNoise(true);
        // Through ports/com4, which follows the device across a re-plug (a re-plugged device
        // may get another pseudo-terminal).
        std::filesystem::create_directory(dir.file("ports"));
        ASSERT_TRUE(sim.linkAs(dir.file("ports/com4")));
        ASSERT_EQ(session->connect("com4"), DeviceResult::Ok);
    }
    void TearDown() override {
        recorder.reset();
        session.reset();
        SupplyDevice::disconnect();
        platform::setExecutableDirectoryForTest("");
        platform::setClockForTest({});
    }
    void polls(int n) {
        for (int k = 0; k < n; ++k) {
            clockMs += 480 + (k * 37) % 90;
            ASSERT_EQ(session->poll(), DeviceResult::Ok);
        }
    }
    void expectSameCounters(const session::Counters& a, const session::Counters& b) {
        EXPECT_EQ(a.readings(), b.readings());
        EXPECT_DOUBLE_EQ(a.chargeAh(), b.chargeAh());
        EXPECT_DOUBLE_EQ(a.energyWh(), b.energyWh());
        EXPECT_DOUBLE_EQ(a.outputOnSeconds(), b.outputOnSeconds());
        EXPECT_DOUBLE_EQ(a.integratedSeconds(), b.integratedSeconds());
        for (auto e : {&session::Counters::voltage, &session::Counters::current,
                       &session::Counters::power}) {
            EXPECT_DOUBLE_EQ((a.*e)().min, (b.*e)().min);
            EXPECT_DOUBLE_EQ((a.*e)().max, (b.*e)().max);
            EXPECT_DOUBLE_EQ((a.*e)().mean, (b.*e)().mean);
        }
    }
    history::SpanStatistics wholeSpan() const {
        const history::HistoryStore& s = recorder->store();
        return history::spanStatistics(s, s.firstTime(), s.lastTime(), 1000);
    }

    TempDir dir;
    sim::SimulatedSupply sim;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<session::MeasurementSession> session;
    std::unique_ptr<history::HistoryRecorder> recorder;
    std::int64_t clockMs = 5'000'000;
};

TEST_F(RecordedSession, CursorIntegralsAgreeWithTheSessionCountersOverTheSameSpan) {
    polls(12);
    sim.setOutput(false);
    polls(5);
    const history::SpanStatistics span = wholeSpan();
    expectSameCounters(span.counters, session->counters());
    EXPECT_GT(span.counters.chargeAh(), 0.0);
    EXPECT_EQ(recorder->store().size(), 17u);
}

TEST_F(RecordedSession, ALossAndTheReconnectionLeaveAGapThatNeitherIntegrates) {
    session->setAutoReconnect(true);
    polls(6);
    sim.unplug();
    clockMs += 500;
    EXPECT_NE(session->poll(), DeviceResult::Ok); // lost
    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    clockMs += session::MeasurementSession::ReconnectPeriodMs + 5000;
    session->poll(); // the reconnection
    ASSERT_TRUE(session->connected());
    polls(6);
    const history::HistoryStore& s = recorder->store();
    ASSERT_EQ(s.size(), 12u);
    EXPECT_TRUE(s.at(6).runStart);
    EXPECT_FALSE(history::readingAt(s, (s.timeAt(5) + s.timeAt(6)) / 2.0, 1e9).has_value());
    expectSameCounters(wholeSpan().counters, session->counters());
}

TEST_F(RecordedSession, AfterAResetTheSpanFromItsFirstReadingAgrees) {
    polls(8);
    session->resetCounters();
    polls(9);
    const history::HistoryStore& s = recorder->store();
    const auto span = history::spanStatistics(s, s.timeAt(8), s.lastTime(), 1000);
    expectSameCounters(span.counters, session->counters());
    ASSERT_TRUE(span.first && span.second);
    EXPECT_DOUBLE_EQ(span.deltaVolts, s.at(16).volts - s.at(8).volts);
    EXPECT_DOUBLE_EQ(span.seconds, (s.lastTime() - s.timeAt(8)) / 1000.0);
}

TEST_F(RecordedSession, ConnectByTheOperatorStartsAFreshHistory) {
    polls(4);
    session->disconnect();
    ASSERT_EQ(session->connect("com4"), DeviceResult::Ok);
    polls(2);
    EXPECT_EQ(recorder->store().size(), 2u);
}

} // namespace
