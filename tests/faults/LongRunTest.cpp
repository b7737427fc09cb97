#include "FaultTestSupport.h"
#include "plot/clPlot.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdlib>
#include <ctime>

// Hours of operation through the real window in seconds of test time: the test's clock moves
// half a second per tick and the byte pacing costs nothing, while every command still goes
// over the pseudo-terminal to the simulated supply. Named LongRun so that a quick run can
// leave them out (ctest -E LongRun).
namespace {

using Id = MainDialog::ControlId;

class LongRun : public WindowWithCsv {
protected:
    void SetUp() override {
        WindowWithCsv::SetUp();
        platform::setSleepForTest([](int) {});
        sim.setOutput(true);
        sim.setNoise(true);
    }
    void TearDown() override {
        platform::setSleepForTest({});
        WindowWithCsv::TearDown();
    }

    // Runs the ticks, keeping the slowest one and the time of the last thousand. The
    // window is shown and repaints what the ticks invalidated every PaintEvery ticks, as
    // the event loop would between them.
    void run(long ticks, const std::function<void(long)>& beforeTick = {}) {
        // The ticks are the test's: the window's own timer must not add any while events
        // are processed.
        auto* timer = window->findChild<QTimer*>("PollTimer");
        ASSERT_NE(timer, nullptr);
        timer->stop();
        window->show();
        const std::int64_t t0 = platform::monotonicMs();
        for (long i = 0; i < ticks; ++i) {
            if (beforeTick)
                beforeTick(i);
            if (i == ticks - 1000)
                lastThousandFrom = platform::monotonicMs();
            const std::int64_t a = platform::monotonicMs();
            poll(1);
            worstTickMs = std::max(worstTickMs, platform::monotonicMs() - a);
            if (i % PaintEvery == 0) {
                const std::int64_t p = platform::monotonicMs();
                QCoreApplication::processEvents();
                worstPaintMs = std::max(worstPaintMs, platform::monotonicMs() - p);
            }
            if (i % 10000 == 0)
                sim.clearReceived();
        }
        wallMs = platform::monotonicMs() - t0;
        lastThousandMs = platform::monotonicMs() - lastThousandFrom;
    }
    void report(const char* what, long ticks, long rssBefore) {
        const long rssAfter = residentKb();
        std::printf("[ %s ] %ld ticks in %lld ms; slowest tick %lld ms; last 1000 ticks %lld ms; "
                    "slowest repaint %lld ms; resident %ld kB -> %ld kB\n",
                    what, ticks, static_cast<long long>(wallMs),
                    static_cast<long long>(worstTickMs), static_cast<long long>(lastThousandMs),
                    static_cast<long long>(worstPaintMs), rssBefore, rssAfter);
        RecordProperty("wall_ms", static_cast<int>(wallMs));
        RecordProperty("slowest_tick_ms", static_cast<int>(worstTickMs));
        RecordProperty("rss_growth_kb", static_cast<int>(rssAfter - rssBefore));
        // The window keeps no per-tick growth: the plot's rings are taken once and the
        // CSV goes straight to its file.
        EXPECT_LT(rssAfter - rssBefore, 32 * 1024);
        // A tick without device trouble is a command's round trip and a redraw request.
        EXPECT_LT(worstTickMs, 250);
        EXPECT_LT(worstPaintMs, 500);
        EXPECT_LT(lastThousandMs, 2000);
        // Paced for real, the commands alone would take 20 ms a tick.
        EXPECT_LT(wallMs, ticks * 20 / 10);
    }

    static constexpr long PaintEvery = 20;
    std::int64_t wallMs = 0;
    std::int64_t worstTickMs = 0;
    std::int64_t worstPaintMs = 0;
    std::int64_t lastThousandFrom = 0;
    std::int64_t lastThousandMs = 0;
};

TEST_F(LongRun, FourteenHoursOfPollingStopThePlotAtItsLimitAndTheWindowStaysResponsive) {
    openConnected();
    auto* plot = dynamic_cast<clPlot*>(control(Id::IdPlot));
    ASSERT_NE(plot, nullptr);
    const long rssBefore = residentKb();
    const long ticks = 14L * 3600 * 2;
    platform::Seconds lastAccepted = 0;
    run(ticks, [&](long i) {
        if (i == clPlot::maxSamplesPerSeries - 1)
            lastAccepted = now;
    });
    report("14 h of polling", ticks, rssBefore);

    EXPECT_TRUE(window->isConnected());
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(logMessages().size(), 2u);
    for (int series : {0, 1})
        EXPECT_EQ(plot->series(series).added(), clPlot::maxSamplesPerSeries) << series;
    // From the refused samples on, the picture stands still at the last accepted one.
    EXPECT_EQ(plot->timeAxis().end, lastAccepted);

    const std::int64_t paintMs = timedMs([&] { (void)plot->grab(); });
    std::printf("plot painted in %lld ms\n", static_cast<long long>(paintMs));
    EXPECT_LT(paintMs, 1000);

    // The operator's buttons still act at once, and a new connection starts a fresh plot.
    EXPECT_LT(timedMs([&] { click(Id::IdConnectButton); }), 500);
    EXPECT_EQ(lastLog(), "デバイスを切断しました");
    poll(1);
    click(Id::IdConnectButton);
    ASSERT_TRUE(window->isConnected());
    EXPECT_EQ(plot->series(0).added(), 0);
    poll(2);
    EXPECT_EQ(plot->series(0).added(), 2);
    EXPECT_GT(plot->timeAxis().end, lastAccepted);
}

class LongRunCsv : public LongRun {
protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ"))
            savedTz = tz;
        // Stamps are local time; a zone without daylight saving keeps them one second apart.
        setenv("TZ", "UTC", 1);
        tzset();
        LongRun::SetUp();
    }
    void TearDown() override {
        LongRun::TearDown();
        if (savedTz)
            setenv("TZ", savedTz->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> savedTz;
};

TEST_F(LongRunCsv, ADayAtOneSecondWritesEveryLineWholeAndOneSecondApart) {
    // 2038-01-18 12:00:00 UTC: the day passes the end of a 32-bit count of seconds.
    const platform::Seconds start = 2147428800;
    now = start;
    openConnected();
    click(Id::IdLogButton);
    ASSERT_TRUE(window->measurementLogRunning());
    const long rssBefore = residentKb();
    const long ticks = 24L * 3600 * 2;
    run(ticks);
    report("a day of CSV at 1 s", ticks, rssBefore);
    click(Id::IdLogButton);
    EXPECT_EQ(lastLog(), "ログを停止しました");
    EXPECT_TRUE(prompter.boxes.empty());

    bool complete = false;
    const std::vector<std::string> lines = csvLines(TempDir::read(csv), &complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(lines.size(), 86400u);
    long misplaced = 0;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::tm tm{};
        if (std::sscanf(lines[k].c_str(), "%2d/%2d/%2d %2d:%2d:%2d", &tm.tm_year, &tm.tm_mon,
                        &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6) {
            ++misplaced;
            continue;
        }
        tm.tm_year += 100;
        tm.tm_mon -= 1;
        if (timegm(&tm) != start + static_cast<platform::Seconds>(k) && misplaced++ < 5)
            ADD_FAILURE() << "line " << k << ": " << lines[k];
    }
    EXPECT_EQ(misplaced, 0);
    EXPECT_EQ(lines.front().substr(0, 17), "38/01/18 12:00:00");
    EXPECT_EQ(lines.back().substr(0, 17), "38/01/19 11:59:59");
}

} // namespace
