#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/FileFilters.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

TEST(Cp932, JapaneseTextRoundTripsThroughTheCodePage) {
    const std::string utf8 = "アダプタ接続　未給電中 ﾃﾞﾊﾞｲｽ";
    std::string cp = platform::utf8ToCp932(utf8);
    // Half-width katakana are single bytes, the ideographic space is 0x81 0x40.
    EXPECT_NE(cp.find("\x81\x40"), std::string::npos);
    EXPECT_NE(cp.find("\xC3\xDE\xCA\xDE\xB2\xBD"), std::string::npos);
    EXPECT_EQ(platform::cp932ToUtf8(cp), utf8);
}

TEST(Cp932, UnconvertibleBytesBecomeMarkersAndTheRestSurvives) {
    EXPECT_EQ(platform::cp932ToUtf8(std::string("ab\x81", 3)), "ab?");
    EXPECT_EQ(platform::utf8ToCp932("a\xF0\x9F\x98\x80z").front(), 'a');
    EXPECT_EQ(platform::utf8ToCp932("a\xF0\x9F\x98\x80z").back(), 'z');
}

TEST(FileFilters, SystemNotationSplitsIntoLabelAndPattern) {
    auto f = platform::parseFileFilters("CSV(*.csv)|*.csv|全て(*.*)|*.*||");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].label, "CSV(*.csv)");
    EXPECT_EQ(f[0].pattern, "*.csv");
    EXPECT_EQ(f[1].label, "全て(*.*)");
    EXPECT_EQ(f[1].pattern, "*.*");
}

struct QtFilterCase {
    const char* name;
    platform::FileFilter filter;
    const char* qt;
};

class QtFilters : public testing::TestWithParam<QtFilterCase> {};

TEST_P(QtFilters, ShowEachPatternOnce) {
    EXPECT_EQ(platform::qtNameFilter(GetParam().filter), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(
    Labels, QtFilters,
    testing::Values(QtFilterCase{"LabelNamesItsPattern", {"CSV(*.csv)", "*.csv"}, "CSV(*.csv)"},
                    QtFilterCase{"JapaneseLabel", {"全て(*.*)", "*.*"}, "全て(*.*)"},
                    QtFilterCase{"LabelWithBlank", {"log file(*.log)", "*.log"}, "log file(*.log)"},
                    QtFilterCase{"LabelWithoutPattern", {"HEX", "*.hex"}, "HEX (*.hex)"},
                    QtFilterCase{"SeveralPatterns", {"Text", "*.txt;*.log"}, "Text (*.txt *.log)"},
                    QtFilterCase{"LabelNamesAnotherPattern",
                                 {"HEX(*.hex)", "*.hex;*.ihx"},
                                 "HEX(*.hex) (*.hex *.ihx)"}),
    casenames::ByName{});

TEST(Clock, TestClockReplacesTheSystemClockUntilRemoved) {
    platform::setClockForTest([] { return platform::Seconds{4102444800}; }); // 2100-01-01
    EXPECT_EQ(platform::now(), 4102444800);
    platform::setClockForTest({});
    EXPECT_GT(platform::now(), 1700000000);
}

TEST(Clock, SleepOvershootsTheRequestedPauseByLittle) {
    auto t0 = platform::monotonicMs();
    for (int i = 0; i < 10; ++i)
        platform::sleepMs(10);
    auto elapsed = platform::monotonicMs() - t0;
    EXPECT_GE(elapsed, 100);
    EXPECT_LT(elapsed, 250);
}
