// Replays the fuzz targets' seed corpus, and the inputs fuzzing found faults with, through
// the same target bodies that the libFuzzer programs run. A broken property aborts the test
// program, so each file runs as a test of its own.
#include "fuzz/FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpus(const std::string& target) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(QUOREL_FUZZ_CORPUS_DIR) / target, ec))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Test names from file names: letters, digits and underscores only.
std::string nameOf(const ::testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.filename().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

int run(int (*target)(const std::uint8_t*, std::size_t), const fs::path& file) {
    std::string bytes = contentOf(file);
    return target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

class HexImageCorpus : public ::testing::TestWithParam<fs::path> {};
class IniCorpus : public ::testing::TestWithParam<fs::path> {};
class DeviceRepliesCorpus : public ::testing::TestWithParam<fs::path> {};
class ScpiLineCorpus : public ::testing::TestWithParam<fs::path> {};
class ScpiStreamCorpus : public ::testing::TestWithParam<fs::path> {};
class SequenceFileCorpus : public ::testing::TestWithParam<fs::path> {};
class Vxi11StreamCorpus : public ::testing::TestWithParam<fs::path> {};

TEST_P(HexImageCorpus, LoadsAsTheReaderRulesSay) {
    EXPECT_EQ(run(fuzzHexImage, GetParam()), 0);
}

TEST_P(IniCorpus, WriteKeepsEveryOtherLineAndReadsBack) {
    EXPECT_EQ(run(fuzzIni, GetParam()), 0);
}

TEST_P(DeviceRepliesCorpus, BadRepliesGiveResultsInBoundedTime) {
    EXPECT_EQ(run(fuzzDeviceReplies, GetParam()), 0);
}

TEST_P(ScpiLineCorpus, RepliesStayOneLineAndSetpointsWithinTheRules) {
    EXPECT_EQ(run(fuzzScpiLine, GetParam()), 0);
}

TEST_P(Vxi11StreamCorpus, NoTurnWaitsNoLinkOutlivesItsClientAndTheServerStillServes) {
    EXPECT_EQ(run(fuzzVxi11Stream, GetParam()), 0);
}

TEST_P(ScpiStreamCorpus, PiecesRunAsTheWholeAndUnfinishedLinesNever) {
    EXPECT_EQ(run(fuzzScpiStream, GetParam()), 0);
}

TEST_P(SequenceFileCorpus, BadLinesGiveNoStepsAndPlansKeepEveryPointWithinTheRules) {
    EXPECT_EQ(run(fuzzSequenceFile, GetParam()), 0);
}

INSTANTIATE_TEST_SUITE_P(Corpus, HexImageCorpus, ::testing::ValuesIn(corpus("hex_image")), nameOf);
INSTANTIATE_TEST_SUITE_P(Corpus, IniCorpus, ::testing::ValuesIn(corpus("ini")), nameOf);
INSTANTIATE_TEST_SUITE_P(Corpus, DeviceRepliesCorpus, ::testing::ValuesIn(corpus("device_replies")),
                         nameOf);

INSTANTIATE_TEST_SUITE_P(Corpus, ScpiLineCorpus, ::testing::ValuesIn(corpus("scpi_line")), nameOf);
INSTANTIATE_TEST_SUITE_P(Corpus, ScpiStreamCorpus, ::testing::ValuesIn(corpus("scpi_stream")),
                         nameOf);
INSTANTIATE_TEST_SUITE_P(Corpus, SequenceFileCorpus, ::testing::ValuesIn(corpus("sequence_file")),
                         nameOf);
INSTANTIATE_TEST_SUITE_P(Corpus, Vxi11StreamCorpus, ::testing::ValuesIn(corpus("vxi11_stream")),
                         nameOf);

TEST(FuzzCorpus, InstrumentLanguageTargetsHaveSeeds) {
    for (const char* target : {"scpi_line", "scpi_stream"})
        EXPECT_GE(corpus(target).size(), 5u) << target;
}

TEST(FuzzCorpus, EveryTargetHasSeeds) {
    for (const char* target : {"hex_image", "ini", "device_replies", "sequence_file"})
        EXPECT_GE(corpus(target).size(), 5u) << target;
}

} // namespace
