#include "HistoryTestSupport.h"

#include "history/AxisTicks.h"
#include "history/LogExport.h"
#include "history/LogImport.h"
#include "history/TimeText.h"
#include "support/LocalTime.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

using history::HistoryStore;
using history::ImportReport;
using history::ImportStatus;

namespace {

struct ImportCase {
    const char* name;
    std::string text;
    ImportStatus status;
    std::size_t readings;
    std::size_t damaged;
    std::vector<std::size_t> damagedLines; // the first five
};

class LogImport : public ::testing::TestWithParam<ImportCase> {};

TEST_P(LogImport, TakesEveryGoodLineAndNamesTheDamagedOnes) {
    ZoneForTest zone("Europe/Berlin");
    HistoryStore store;
    const ImportReport r = history::importText(GetParam().text, store);
    EXPECT_EQ(r.status, GetParam().status);
    EXPECT_EQ(r.readings, GetParam().readings);
    EXPECT_EQ(store.size(), GetParam().readings);
    EXPECT_EQ(r.damagedLines, GetParam().damagedLines);
    EXPECT_EQ(r.damaged, GetParam().damaged);
}

const std::string Good = "26/12/07 07:14:54,12.00,0.500,CV,12.00,0.240\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, LogImport,
    ::testing::Values(ImportCase{"OwnLogWithOffAndRejectedSetpoints",
                                 "07/08/05 09:05:07,5.00,0.500,CV,4.99,0.123\r\n"
                                 "07/08/05 09:05:08,-1.00,0.500,CC,4.10,0.500\r\n"
                                 "07/08/05 09:05:09,5.00,-1.000,OFF,0.00,0.000\r\n",
                                 ImportStatus::Ok,
                                 3,
                                 0,
                                 {}},
                      ImportCase{"LineFeedsOnlyAndNoFinalLineEnd",
                                 Good + "26/12/07 07:14:55,12.00,0.500,CV,12.00,0.240",
                                 ImportStatus::Ok,
                                 2,
                                 0,
                                 {}},
                      ImportCase{
                          "DamagedLinesCountedByNumber",
                          Good + "26/13/07 07:14:55,12.00,0.500,CV,12.00,0.240\r\n" // month 13
                              + "26/12/07 07:14:56,12.00,0.500,XX,12.00,0.240\r\n"  // state
                              + "\r\n"                                         // blank: no count
                              + "26/12/07 07:14:57,12.00,0.5,CV,nan,0.240\r\n" // not a number
                              + "26/12/07 07:14:58,12.00,0.500,CV,12.00\r\n"   // a field short
                              + "26/12/07 07:14:59,12.00,0.500,CV,12.00,0.240,1\r\n" // one too many
                              + "26/02/30 07:15:00,12.00,0.500,CV,12.00,0.240\r\n"   // 30 February
                              + Good,
                          ImportStatus::Ok,
                          2,
                          6,
                          {2, 3, 5, 6, 7}},
                      ImportCase{"EmptyFile", "", ImportStatus::Empty, 0, 0, {}},
                      ImportCase{"BlankLinesOnly", "\r\n\r\n  \r\n", ImportStatus::Empty, 0, 0, {}},
                      ImportCase{"BinaryBytes",
                                 std::string("\x7f"
                                             "ELF\x02\x01\x01\0\0\0\0",
                                             12) +
                                     Good,
                                 ImportStatus::Binary,
                                 0,
                                 0,
                                 {}},
                      ImportCase{"TextWithoutReadings",
                                 "name,value\r\nfoo,1\r\n",
                                 ImportStatus::NothingReadable,
                                 0,
                                 2,
                                 {1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogImportTimes, TwoDigitYearsAndMidnightAreOneSecondApart) {
    ZoneForTest zone("Europe/Berlin");
    HistoryStore store;
    history::importText("26/12/31 23:59:59,5.00,0.500,CV,5.00,0.100\r\n"
                        "27/01/01 00:00:00,5.00,0.500,CV,5.00,0.100\r\n",
                        store);
    ASSERT_EQ(store.size(), 2u);
    EXPECT_EQ(store.timeAt(0), localSeconds(2026, 12, 31, 23, 59, 59) * 1000);
    EXPECT_EQ(store.timeAt(1) - store.timeAt(0), 1000);
    EXPECT_FALSE(store.at(1).runStart);
}

TEST(LogImportTimes, RepeatedHourAtTheEndOfSummerTimeKeepsTheOrder) {
    ZoneForTest zone("Europe/Berlin");
    // 25 October 2026: at 03:00 summer time the clocks go back to 02:00.
    std::string text;
    for (const char* t : {"02:59:58", "02:59:59", "02:00:00", "02:00:01", "03:00:00"})
        text += std::string("26/10/25 ") + t + ",5.00,0.500,CV,5.00,0.100\r\n";
    HistoryStore store;
    const ImportReport r = history::importText(text, store);
    ASSERT_EQ(store.size(), 5u);
    EXPECT_EQ(r.clockBack, 0u);
    EXPECT_EQ(store.timeAt(2) - store.timeAt(1), 1000); // 02:59:59 summer, 02:00:00 winter
    EXPECT_EQ(store.timeAt(4) - store.timeAt(3), 3599000);
    EXPECT_EQ(r.gaps, 1u); // the hour of 02:00:01 to 03:00:00 without lines
}

TEST(LogImportTimes, ClockSetBackByHandKeepsTheLinesAfterAGap) {
    ZoneForTest zone("Europe/Berlin");
    HistoryStore store;
    const ImportReport r = history::importText("26/06/01 10:00:00,5.00,0.500,CV,5.00,0.100\r\n"
                                               "26/06/01 10:00:01,5.00,0.500,CV,5.00,0.100\r\n"
                                               "26/06/01 09:58:00,5.00,0.500,CV,5.00,0.200\r\n"
                                               "26/06/01 09:58:01,5.00,0.500,CV,5.00,0.300\r\n",
                                               store);
    ASSERT_EQ(store.size(), 4u);
    EXPECT_EQ(r.clockBack, 1u);
    EXPECT_EQ(r.firstClockBackLine, 3u);
    EXPECT_TRUE(store.at(2).runStart);
    EXPECT_EQ(store.timeAt(2), store.timeAt(1));
    EXPECT_EQ(store.timeAt(3) - store.timeAt(2), 1000);
}

// Logs whose clock goes back: every reading keeps the time its line holds, in the exports
// of both forms and through a round trip of the ISO form.
struct OwnTimesCase {
    const char* name;
    const char* day;
    std::vector<const char*> times;
    std::size_t clockBack;
};

class OwnTimes : public ::testing::TestWithParam<OwnTimesCase> {};

std::string logLines(const OwnTimesCase& c) {
    std::string text;
    for (const char* t : c.times)
        text += std::string(c.day) + " " + t + ",5.00,0.500,CV,5.00,0.100\r\n";
    return text;
}

TEST_P(OwnTimes, ExportsNeverWriteATimeTheFileDidNotHold) {
    ZoneForTest zone("Europe/Berlin");
    const std::string text = logLines(GetParam());
    HistoryStore store;
    const ImportReport r = history::importText(text, store);
    ASSERT_EQ(store.size(), GetParam().times.size());
    EXPECT_EQ(r.clockBack, GetParam().clockBack);
    for (std::size_t i = 1; i < store.size(); ++i)
        EXPECT_GE(store.timeAt(i), store.timeAt(i - 1)) << "the axis never goes back";
    EXPECT_EQ(history::csvText(store, -1e18, 1e18, history::CsvForm::MeasurementLog), text);

    HistoryStore again;
    history::importText(history::csvText(store, -1e18, 1e18, history::CsvForm::Iso), again);
    ASSERT_EQ(again.size(), store.size());
    for (std::size_t i = 0; i < store.size(); ++i)
        EXPECT_EQ(again.at(i).stampMs, store.at(i).stampMs) << i;
    EXPECT_EQ(history::csvText(again, -1e18, 1e18, history::CsvForm::MeasurementLog), text);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, OwnTimes,
    ::testing::Values(OwnTimesCase{"ClockSetBackAnHour",
                                   "26/06/01",
                                   {"10:00:00", "10:00:01", "09:00:00", "10:00:02", "10:00:03"},
                                   1},
                      OwnTimesCase{"ClockSetBackTwice",
                                   "26/06/01",
                                   {"10:00:00", "09:00:00", "08:00:00", "08:00:01"},
                                   2},
                      // 25 October 2026: at 03:00 summer time the clocks go back to 02:00.
                      OwnTimesCase{"RepeatedHourAtTheEndOfSummerTime",
                                   "26/10/25",
                                   {"02:59:58", "02:59:59", "02:00:00", "02:00:01"},
                                   0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogImportTimes, AxisLabelsAndReadoutsAfterAClockSetBackShowTheLinesOwnTimes) {
    ZoneForTest zone("Europe/Berlin");
    HistoryStore store;
    const OwnTimesCase c{
        "", "26/06/01", {"10:00:00", "10:00:01", "09:00:00", "10:00:02", "10:00:03"}, 1};
    history::importText(logLines(c), store);
    const double t0 = static_cast<double>(store.firstTime());
    const double t1 = static_cast<double>(store.lastTime());
    EXPECT_EQ(history::readoutTime(store.stampAt(t0), false), "2026/06/01 10:00:00");
    EXPECT_EQ(history::readoutTime(store.stampAt(t1), false), "2026/06/01 10:00:03");
    EXPECT_EQ(history::readoutTime(store.at(2).stampMs, false), "2026/06/01 09:00:00");
    std::vector<std::string> labels;
    for (const history::Tick& t : history::timeTicks(t0, t1, 8, store.clockSpans(t0, t1)))
        labels.push_back(t.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"10:00", "09:10", "09:20", "09:30", "09:40",
                                                "09:50", "10:00"}));
}

TEST(LogImportFiles, MissingFileOrFolderCannotBeOpened) {
    TempDir dir;
    HistoryStore store;
    EXPECT_EQ(history::importLog(dir.file("none.csv"), store).status, ImportStatus::OpenFailed);
    EXPECT_EQ(history::importLog(dir.path(), store).status, ImportStatus::OpenFailed);
}

// A history with a gap, fractional times, -1 set-points and every state.
void fillForRoundTrip(HistoryStore& s, std::int64_t t0) {
    history::Entry e = entryAt(t0, 12.0, 0.25);
    for (int k = 0; k < 40; ++k) {
        e.timeMs = t0 + k * 500 + (k >= 20 ? 90000 : 0);
        e.volts = 12.0 - k * 0.02;
        e.amps = 0.25 + k * 0.001 - 12.0 / 7800; // as corrected for the divider
        e.outputOn = k % 7 != 0;
        e.constantCurrent = k % 3 == 0;
        e.voltageSetpoint = k == 5 ? -1.0 : 12.0;
        if (k == 20)
            s.gap();
        s.append(e);
    }
}

TEST(LogExportRoundTrip, IsoFormKeepsEveryValueTimeAndGapExactly) {
    ZoneForTest zone("America/St_Johns"); // an offset of hours and a half
    TempDir dir;
    HistoryStore before;
    fillForRoundTrip(before, localSeconds(2026, 11, 1, 1, 59, 50) * 1000 + 250);
    ASSERT_EQ(history::exportCsv(before, -1e18, 1e18, history::CsvForm::Iso, dir.file("h.csv")),
              history::ExportResult::Written);
    EXPECT_EQ(TempDir::read(dir.file("h.csv")).substr(0, 5), "time,");
    HistoryStore after;
    const ImportReport r = history::importLog(dir.file("h.csv"), after);
    EXPECT_EQ(r.damaged, 0u);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const history::Sample a = before.at(i), b = after.at(i);
        EXPECT_EQ(a.timeMs, b.timeMs) << i;
        EXPECT_EQ(a.volts, b.volts) << i;
        EXPECT_EQ(a.amps, b.amps) << i;
        EXPECT_EQ(a.outputOn, b.outputOn) << i;
        // Regulation means nothing with the output off; the state column says "OFF".
        EXPECT_EQ(a.constantCurrent && a.outputOn, b.constantCurrent) << i;
        EXPECT_EQ(a.runStart && i > 0, b.runStart && i > 0) << i;
        EXPECT_EQ(a.voltageSetpoint, b.voltageSetpoint) << i;
    }
}

TEST(LogExportRoundTrip, LogFormReadsBackAsTheSameLines) {
    ZoneForTest zone("Europe/Berlin");
    HistoryStore before;
    fillForRoundTrip(before, localSeconds(2026, 12, 31, 23, 59, 55) * 1000);
    const std::string text =
        history::csvText(before, -1e18, 1e18, history::CsvForm::MeasurementLog);
    EXPECT_EQ(text.substr(0, text.find('\n') + 1),
              "26/12/31 23:59:55,12.00,0.500,OFF,12.00,0.248\r\n");
    HistoryStore after;
    const ImportReport r = history::importText(text, after);
    EXPECT_EQ(r.damaged, 0u);
    EXPECT_EQ(r.gaps, 1u);
    EXPECT_TRUE(after.at(20).runStart);
    EXPECT_EQ(history::csvText(after, -1e18, 1e18, history::CsvForm::MeasurementLog), text);
}

TEST(LogExportRoundTrip, OnlyTheVisibleRangeIsWrittenAndAnEmptyOneIsRefused) {
    HistoryStore s;
    fillForRoundTrip(s, 1'800'000'000'000);
    const std::string part =
        history::csvText(s, 1'800'000'001'000, 1'800'000'002'000, history::CsvForm::Iso);
    EXPECT_EQ(std::count(part.begin(), part.end(), '\n'), 1 + 3); // header and three readings
    TempDir dir;
    EXPECT_EQ(history::exportCsv(s, 0, 1, history::CsvForm::Iso, dir.file("x.csv")),
              history::ExportResult::NothingToWrite);
    EXPECT_EQ(history::exportCsv(s, -1e18, 1e18, history::CsvForm::Iso, dir.file("no/x.csv")),
              history::ExportResult::WriteFailed);
}

} // namespace
