// The CSV form of a step list: good files in their variants, damaged ones with every bad
// line named and no steps at all, and what is written read back the same.
#include "sequence/SequenceFile.h"
#include "support/CaseNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using namespace sequence;
using K = FileProblemKind;

struct GoodFile {
    std::string name;
    std::string text;
    std::vector<Step> steps;
};

class GoodSequenceFile : public testing::TestWithParam<GoodFile> {};

TEST_P(GoodSequenceFile, GivesItsSteps) {
    const StepsRead r = readSteps(GetParam().text);
    ASSERT_TRUE(r.ok()) << problemsText(r);
    ASSERT_EQ(r.steps.size(), GetParam().steps.size());
    for (std::size_t i = 0; i < r.steps.size(); ++i) {
        EXPECT_DOUBLE_EQ(r.steps[i].volts, GetParam().steps[i].volts) << i;
        EXPECT_DOUBLE_EQ(r.steps[i].amps, GetParam().steps[i].amps) << i;
        EXPECT_DOUBLE_EQ(r.steps[i].seconds, GetParam().steps[i].seconds) << i;
        EXPECT_EQ(r.steps[i].ramp, GetParam().steps[i].ramp) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, GoodSequenceFile,
    testing::Values(GoodFile{"HeaderAndRamps",
                             "volts,amps,seconds,ramp\n5,0.5,10,step\n12,0.5,30,linear\n",
                             {{5, 0.5, 10, Ramp::Step}, {12, 0.5, 30, Ramp::Linear}}},
                    GoodFile{
                        "CommentsBlanksCrLfAndByteOrderMark",
                        "\xEF\xBB\xBF# soft start\r\n\r\nVolts, Amps, Seconds, Ramp  # header\r\n"
                        "  0.58 , .1 ,0.1, LINEAR # first\r\n\r\n# end\r\n",
                        {{0.58, 0.1, 0.1, Ramp::Linear}}},
                    GoodFile{"RampColumnLeftOut",
                             "volts,amps,seconds\n1,0.1,1\n2,0.2,2",
                             {{1, 0.1, 1, Ramp::Step}, {2, 0.2, 2, Ramp::Step}}},
                    GoodFile{"RampOfALineLeftOutOrEmpty",
                             "volts,amps,seconds,ramp\n1,0.1,1\n2,0.2,2,\n",
                             {{1, 0.1, 1, Ramp::Step}, {2, 0.2, 2, Ramp::Step}}},
                    GoodFile{"TheLimitsThemselves",
                             "volts,amps,seconds,ramp\n20,1,1000000,step\n0,0,0.1,step\n",
                             {{20, 1, 1e6, Ramp::Step}, {0, 0, 0.1, Ramp::Step}}},
                    GoodFile{"DoubledCarriageReturnsEndTheLineAsOne",
                             "volts,amps,seconds,ramp\r\r\n1,0.1,5\r\r\n",
                             {{1, 0.1, 5, Ramp::Step}}}),
    casenames::ByName());

struct DamagedFile {
    std::string name;
    std::string text;
    std::vector<FileProblem> problems;
};

class DamagedSequenceFile : public testing::TestWithParam<DamagedFile> {};

TEST_P(DamagedSequenceFile, NamesEveryBadLineAndGivesNoSteps) {
    const StepsRead r = readSteps(GetParam().text);
    EXPECT_TRUE(r.steps.empty());
    ASSERT_EQ(r.problemCount, GetParam().problems.size()) << problemsText(r);
    for (std::size_t i = 0; i < r.problems.size(); ++i) {
        EXPECT_EQ(r.problems[i].line, GetParam().problems[i].line) << i;
        EXPECT_EQ(r.problems[i].kind, GetParam().problems[i].kind) << problemText(r.problems[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSequenceFile,
    testing::Values(DamagedFile{"EveryBadValueOnItsLine",
                                "volts,amps,seconds,ramp\n"
                                "5,0.5,10,step\n"
                                "20.02,0.5,10,step\n" // 3
                                "5,1.5,10,step\n"     // 4
                                "5,0.5,0.05,step\n"   // 5
                                "5,0.5,10,curve\n"    // 6
                                "5,0.5\n"             // 7
                                "5,0.5,10,step,x\n"   // 8
                                "-5,0.5,10\n"         // 9
                                "1e1,0.5,10\n"        // 10
                                "5,0,5,10\n",         // 11: a decimal comma
                                {{3, K::Volts},
                                 {4, K::Amps},
                                 {5, K::Seconds},
                                 {6, K::Ramp},
                                 {7, K::FieldCount},
                                 {8, K::FieldCount},
                                 {9, K::Volts},
                                 {10, K::Volts},
                                 {11, K::Ramp}}},
                    DamagedFile{"NoHeaderButSteps", "# first\n5,0.5,10,step\n", {{2, K::NoHeader}}},
                    DamagedFile{"MisspeltHeaderIsToldOnceNotAlsoAsAStep",
                                "volt,amp,secs,ramp\n5,0.5,10,step\n",
                                {{1, K::NoHeader}}},
                    DamagedFile{"RampInAFileWithoutTheRampColumn",
                                "volts,amps,seconds\n5,0.5,10,linear\n",
                                {{2, K::FieldCount}}},
                    DamagedFile{
                        "HeaderOnly", "volts,amps,seconds,ramp\n# nothing\n", {{0, K::NoSteps}}},
                    DamagedFile{"Empty", "", {{0, K::NoHeader}}},
                    DamagedFile{"BinaryBytes",
                                std::string("volts,amps,seconds,ramp\n\x01\x02\0\xff,1,1\n", 32),
                                {{2, K::Volts}}}),
    casenames::ByName());

TEST(SequenceFile, TooManyStepsIsToldOnceAtTheFirstLineBeyond) {
    std::string text = "volts,amps,seconds,ramp\n";
    for (std::size_t i = 0; i < MaxSteps + 5; ++i)
        text += "1,0.1,1\n";
    const StepsRead r = readSteps(text);
    EXPECT_TRUE(r.steps.empty());
    ASSERT_EQ(r.problemCount, 1u);
    EXPECT_EQ(r.problems[0].line, MaxSteps + 2);
    EXPECT_EQ(r.problems[0].kind, K::TooManySteps);
}

TEST(SequenceFile, ProblemsAreToldWithTheirLineNumbersAndACount) {
    std::string text = "volts,amps,seconds,ramp\n";
    for (int i = 0; i < 8; ++i)
        text += "30,0.1,1\n";
    const StepsRead r = readSteps(text);
    EXPECT_EQ(problemsText(r, 2), "2 行目: 電圧は0～20の数値で指定してください\n"
                                  "3 行目: 電圧は0～20の数値で指定してください\n"
                                  "ほか 6 箇所");
}

TEST(SequenceFile, WrittenStepsReadBackOnTheDevicesGrids) {
    TempDir dir;
    // 0.1025 s runs 103 ms (0.1025 x 1000 rounds up) although "%.3f" would print 0.102.
    const std::vector<Step> steps = {{0.589, 0.1234, 0.25, Ramp::Step},
                                     {20, 1, 1e6, Ramp::Linear},
                                     {4.1, 0.001, 12.5, Ramp::Step},
                                     {1, 0.1, 0.1025, Ramp::Step}};
    ASSERT_TRUE(saveSteps(dir.file("s.csv"), steps));
    EXPECT_EQ(TempDir::read(dir.file("s.csv")), "volts,amps,seconds,ramp\r\n"
                                                "0.58,0.123,0.25,step\r\n"
                                                "20.00,1.000,1000000,linear\r\n"
                                                "4.10,0.001,12.5,step\r\n"
                                                "1.00,0.100,0.103,step\r\n");
    const StepsRead r = loadSteps(dir.file("s.csv"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(writeSteps(r.steps), TempDir::read(dir.file("s.csv")));
}

TEST(SequenceFile, MissingLargeOrUnwritableFilesFailWithoutSteps) {
    TempDir dir;
    EXPECT_EQ(loadSteps(dir.file("missing.csv")).problems.at(0).kind, K::CannotOpen);
    EXPECT_EQ(loadSteps(dir.path()).problems.at(0).kind, K::CannotOpen);
    TempDir::write(dir.file("big.csv"), std::string(MaxFileBytes + 1, '#'));
    EXPECT_EQ(loadSteps(dir.file("big.csv")).problems.at(0).kind, K::TooLarge);
    EXPECT_FALSE(saveSteps(dir.file("no/such/folder.csv"), {{1, 0.1, 1, Ramp::Step}}));
}

} // namespace
