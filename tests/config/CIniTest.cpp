#include "config/CIni.h"

#include "support/CaseNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr const char* S = "QUOREL";

class IniFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("Quorel.ini");
    CIni ini{path.c_str()};

    void holds(const std::string& bytes) { TempDir::write(path, bytes); }
    std::string content() const { return TempDir::read(path); }
    int filesInFolder() const {
        int n = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
            ++n;
        return n;
    }
};

// --- numbers ---

struct NumberCase {
    const char* fileLine; // nullptr: the key is missing
    int base;
    int expected;
};

class ReadNumber : public IniFile, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(ReadNumber, ValueGivesNumberAndOnlyEmptyOrMissingGivesDefault) {
    const auto& c = GetParam();
    holds(std::string("[QUOREL]\r\n") + (c.fileLine ? c.fileLine : "Other=1") + "\r\n");
    EXPECT_EQ(ini.ReadNumber(S, "PlotSpan", 180, c.base), c.expected) << c.fileLine;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadNumber,
    ::testing::Values(NumberCase{"PlotSpan=120", 0, 120}, NumberCase{"PlotSpan=", 0, 180},
                      NumberCase{nullptr, 0, 180}, NumberCase{"PlotSpan=abc", 0, 0},
                      NumberCase{"PlotSpan= 60 ", 0, 60}, NumberCase{"PlotSpan=\" 60 \"", 0, 60},
                      NumberCase{"PlotSpan=90s", 0, 90}, NumberCase{"PlotSpan=-1", 0, -1},
                      NumberCase{"PlotSpan=0x10", 0, 0}, NumberCase{"PlotSpan=4294967295", 0, -1},
                      NumberCase{"PlotSpan=3000000000", 0, -1294967296},
                      NumberCase{"PlotSpan=99999999999", 0, -1},
                      NumberCase{"PlotSpan=-99999999999", 0, -1},
                      NumberCase{"PlotSpan=ff", 16, 255}, NumberCase{"PlotSpan=0xFF", 16, 255},
                      NumberCase{"PlotSpan=377", 8, 255}, NumberCase{"PlotSpan=378", 8, 31},
                      NumberCase{"PlotSpan=11111111", 2, 255}, NumberCase{"PlotSpan=0777", 7, 777}),
    [](const auto& info) {
        const char* line = info.param.fileLine;
        return casenames::word(line ? line : "Missing") + "_Base" + std::to_string(info.param.base);
    });

struct WrittenNumber {
    int value;
    int base;
    const char* text;
};

class WriteNumber : public IniFile, public ::testing::WithParamInterface<WrittenNumber> {};

TEST_P(WriteNumber, TextInTheBaseReadsBackAsTheValue) {
    const auto& c = GetParam();
    ASSERT_TRUE(ini.WriteNumber(S, "N", c.value, c.base));
    EXPECT_EQ(content(), std::string("[QUOREL]\r\nN=") + c.text + "\r\n");
    EXPECT_EQ(ini.ReadNumber(S, "N", 12345, c.base), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, WriteNumber,
    ::testing::Values(WrittenNumber{255, 2, "11111111"}, WrittenNumber{255, 8, "377"},
                      WrittenNumber{255, 16, "FF"}, WrittenNumber{255, 0, "255"},
                      WrittenNumber{0, 2, "0"}, WrittenNumber{-1, 0, "-1"},
                      WrittenNumber{-1, 10, "-1"},
                      WrittenNumber{-1, 2, "11111111111111111111111111111111"},
                      WrittenNumber{-1, 8, "37777777777"}, WrittenNumber{-1, 16, "FFFFFFFF"}),
    [](const auto& info) {
        return casenames::number(info.param.value) + "_Base" + std::to_string(info.param.base);
    });

// --- flags ---

struct FlagCase {
    const char* value; // nullptr: the key is missing
    int def;
    int expected;
};

class ReadFlag : public IniFile, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(ReadFlag, WordsAndLeadingNumbersDecide) {
    const auto& c = GetParam();
    holds(c.value ? std::string("[QUOREL]\r\nOffsetAtt=") + c.value + "\r\n" : "[QUOREL]\r\n");
    EXPECT_EQ(ini.ReadFlag(S, "OffsetAtt", c.def), c.expected) << (c.value ? c.value : "(none)");
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadFlag,
    ::testing::Values(FlagCase{"TRUE", 0, 1}, FlagCase{"yes", 0, 1}, FlagCase{"Yes", 0, 1},
                      FlagCase{"true", 0, 1}, FlagCase{"3", 0, 1}, FlagCase{"1", 0, 1},
                      FlagCase{"-2", 0, 1}, FlagCase{"7x", 0, 1}, FlagCase{"99999999999", 0, 1},
                      FlagCase{"false", 1, 0}, FlagCase{"no", 1, 0}, FlagCase{"on", 1, 0},
                      FlagCase{"0", 1, 0}, FlagCase{"x7", 1, 0}, FlagCase{"yes please", 1, 0},
                      FlagCase{"", 1, 1}, FlagCase{"", 0, 0}, FlagCase{nullptr, 1, 1},
                      FlagCase{nullptr, 0, 0}),
    [](const auto& info) {
        const char* value = info.param.value;
        return casenames::word(value ? value : "Missing") + "_Default" +
               std::to_string(info.param.def);
    });

TEST_F(IniFile, FlagsAreWrittenAsOneOrZero) {
    ASSERT_TRUE(ini.WriteFlag(S, "A", 7));
    ASSERT_TRUE(ini.WriteFlag(S, "B", 0));
    EXPECT_EQ(content(), "[QUOREL]\r\nA=1\r\nB=0\r\n");
}

// --- texts ---

struct CutCase {
    const char* name;
    std::string value;
    std::size_t kept; // bytes copied into the buffer
};

class ReadTextCapacity : public IniFile, public ::testing::WithParamInterface<CutCase> {};

TEST_P(ReadTextCapacity, LongValueIsCutWithoutSplittingACharacter) {
    const auto& c = GetParam();
    holds("[QUOREL]\r\nComPort=" + c.value + "\r\n");
    char buffer[32];
    std::memset(buffer, 'Z', sizeof buffer);
    buffer[31] = '\0';
    EXPECT_EQ(ini.ReadText(S, "ComPort", buffer, 31, "com1"), 31);
    EXPECT_EQ(std::string(buffer, c.kept), c.value.substr(0, c.kept));
    for (std::size_t i = c.kept; i < 32; ++i)
        EXPECT_EQ(buffer[i], '\0') << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadTextCapacity,
    ::testing::Values(
        // 40 single bytes: the first 31.
        CutCase{"SingleBytes", std::string(40, 'a'), 31},
        // The 31st byte is the lead byte of "あ": it is left out.
        CutCase{"LeadByteAtTheEnd", std::string(30, 'a') + "\x82\xA0" + std::string(8, 'b'), 30},
        // The 31st byte is the trail byte of "亜" (0x9F, which is also a lead byte value):
        // the character ends inside the capacity and is kept whole.
        CutCase{"TrailByteAtTheEnd",
                "a" +
                    [] {
                        std::string s;
                        for (int i = 0; i < 19; ++i)
                            s += "\x88\x9F";
                        return s;
                    }() +
                    "cc",
                31}),
    casenames::ByName{});

TEST_F(IniFile, ShortValueIsCopiedWithTerminatorAndItsLengthReturned) {
    holds("[QUOREL]\r\nComPort=com12\r\n");
    char buffer[32];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(ini.ReadText(S, "ComPort", buffer, 31, "com1"), 5);
    EXPECT_STREQ(buffer, "com12");
    EXPECT_EQ(ini.ReadText(S, "ComPort", nullptr, 31, "com1"), 5);
}

TEST_F(IniFile, ValuesLongerThanTheFirstReadAreReadWhole) {
    std::string longValue;
    for (int i = 0; i < 600; ++i)
        longValue += static_cast<char>('a' + i % 26);
    holds("[QUOREL]\r\nSysLogFileName=" + longValue + "\r\n");
    EXPECT_EQ(ini.ReadWholeText(S, "SysLogFileName", nullptr), longValue);
    std::string buffer(1024, '\0');
    EXPECT_EQ(ini.ReadText(S, "SysLogFileName", buffer.data(), 1023, nullptr), 600);
}

TEST_F(IniFile, EmptyValueIsEmptyTextNotTheDefault) {
    holds("[QUOREL]\r\nComPort=\r\n");
    EXPECT_EQ(ini.ReadWholeText(S, "ComPort", "com1"), "");
    EXPECT_EQ(ini.ReadWholeText(S, "Missing", "com1"), "com1");
    EXPECT_EQ(ini.ReadWholeText(S, "Missing", nullptr), "");
}

TEST_F(IniFile, MissingSectionOrKeyNameGivesDefaultAndRefusesToWrite) {
    holds("[QUOREL]\r\nComPort=com3\r\n");
    EXPECT_EQ(ini.ReadWholeText(nullptr, "ComPort", "d"), "d");
    EXPECT_EQ(ini.ReadNumber(S, nullptr, 5, 0), 5);
    EXPECT_FALSE(ini.WriteText(nullptr, "ComPort", "x"));
    EXPECT_FALSE(ini.WriteText(S, nullptr, "x"));
    EXPECT_EQ(content(), "[QUOREL]\r\nComPort=com3\r\n");
}

TEST_F(IniFile, NullValueWritesAnEmptyValueAndKeepsTheKey) {
    holds("[QUOREL]\r\nPlotSpan=120\r\n");
    ASSERT_TRUE(ini.WriteText(S, "PlotSpan", nullptr));
    EXPECT_EQ(content(), "[QUOREL]\r\nPlotSpan=\r\n");
    EXPECT_EQ(ini.ReadNumber(S, "PlotSpan", 180, 0), 180);
}

TEST_F(IniFile, MissingFileIsCreatedWithSectionThenKeysInWriteOrder) {
    EXPECT_EQ(ini.ReadWholeText(S, "ComPort", "com1"), "com1");
    ASSERT_TRUE(ini.WriteText(S, "ComPort", "com3"));
    EXPECT_EQ(content(), "[QUOREL]\r\nComPort=com3\r\n");
    ASSERT_TRUE(ini.WriteText(S, "ConnectAtStart", "1"));
    EXPECT_EQ(content(), "[QUOREL]\r\nComPort=com3\r\nConnectAtStart=1\r\n");
    EXPECT_EQ(ini.ReadWholeText(S, "comport", nullptr), "com3");
}

TEST_F(IniFile, MissingFolderIsNotCreatedAndTheWriteFails) {
    CIni elsewhere(dir.file("no/such/Quorel.ini").c_str());
    EXPECT_FALSE(elsewhere.WriteText(S, "ComPort", "com3"));
    EXPECT_FALSE(TempDir::exists(dir.file("no")));
}

TEST_F(IniFile, LineBreaksInNamesOrValuesAreRefusedSoNoLineIsSplit) {
    holds("[QUOREL]\r\nComPort=com3\r\n");
    EXPECT_FALSE(ini.WriteText(S, "ComPort", "com4\r\nOffsetAtt=1"));
    EXPECT_FALSE(ini.WriteText(S, "Com=Port", "x"));
    EXPECT_FALSE(ini.WriteText("A]B", "ComPort", "x"));
    EXPECT_EQ(content(), "[QUOREL]\r\nComPort=com3\r\n");
}

TEST_F(IniFile, DoubleByteTrailBytesAreNotFoldedLikeLetters) {
    // "ア" is 0x83 0x41 and 0x83 0x61 is another katakana: a comparison that folds the trail byte
    // as a letter would take one for the other.
    holds("[\x83\x41]\r\nk=katakana-a\r\n");
    EXPECT_EQ(ini.ReadWholeText("\x83\x61", "k", "none"), "none");
    EXPECT_EQ(ini.ReadWholeText("\x83\x41", "K", "none"), "katakana-a");
    EXPECT_TRUE(ini::namesEqual("QuoRel", "quorel"));
}

// --- files written by hand ---

struct ReadCase {
    const char* name;
    std::string content;
    const char* section;
    const char* key;
    const char* expected; // nullptr: the default
};

class ReadByHand : public IniFile, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadByHand, RulesOfTheFileDecideTheValue) {
    const auto& c = GetParam();
    holds(c.content);
    EXPECT_EQ(ini.ReadWholeText(c.section, c.key, "DEFAULT"), c.expected ? c.expected : "DEFAULT");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadByHand,
    ::testing::Values(
        ReadCase{"MixedCaseAndBlanks", "  [ quorel ]  \r\n  comport   =   com5  \r\n", "QUOREL",
                 "ComPort", "com5"},
        ReadCase{"DoubleQuotes", "[QUOREL]\r\nSysLogFileName = \" my log.log \"\r\n", "QUOREL",
                 "SysLogFileName", " my log.log "},
        ReadCase{"SingleQuotes", "[QUOREL]\r\nComPort='com2'\r\n", "QUOREL", "ComPort", "com2"},
        ReadCase{"UnpairedQuotesStay", "[QUOREL]\r\nComPort=\"com2'\r\n", "QUOREL", "ComPort",
                 "\"com2'"},
        ReadCase{"FirstKeyWins", "[QUOREL]\r\nComPort=com1\r\nCOMPORT=com2\r\n", "QUOREL",
                 "ComPort", "com1"},
        ReadCase{"FirstSectionWins",
                 "[QUOREL]\r\nA=1\r\n[Other]\r\nComPort=x\r\n[quorel]\r\n"
                 "ComPort=com9\r\n",
                 "QUOREL", "ComPort", nullptr},
        ReadCase{"KeyOfAnotherSectionIsNotSeen", "[Other]\r\nComPort=com4\r\n[QUOREL]\r\n",
                 "QUOREL", "ComPort", nullptr},
        ReadCase{"KeyBeforeAnySectionIsNotSeen", "ComPort=com4\r\n[QUOREL]\r\n", "QUOREL",
                 "ComPort", nullptr},
        ReadCase{"CommentsAreNotKeys", "[QUOREL]\r\n; ComPort=com4\r\nnote\r\n", "QUOREL",
                 "ComPort", nullptr},
        ReadCase{"ValueMayHoldEquals", "[QUOREL]\r\nSysLogFileName=a=b.log\r\n", "QUOREL",
                 "SysLogFileName", "a=b.log"},
        ReadCase{"LoneLineFeeds", "[QUOREL]\nComPort=com6\nPlotSpan=60", "QUOREL", "PlotSpan",
                 "60"},
        ReadCase{"ByteOrderMarkFromAnEditor", "\xEF\xBB\xBF[QUOREL]\r\nComPort=com7\r\n", "QUOREL",
                 "ComPort", "com7"},
        ReadCase{"JapaneseValueAsBytes", "[QUOREL]\r\nSysLogFileName=\x83\x8D\x83\x4F.log\r\n",
                 "QUOREL", "SysLogFileName", "\x83\x8D\x83\x4F.log"}),
    casenames::ByName{});

struct WriteCase {
    const char* name;
    std::string before;
    const char* key;
    const char* value;
    std::string after;
};

class WriteByHand : public IniFile, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteByHand, OnlyTheChangedValueDiffersByteForByte) {
    const auto& c = GetParam();
    holds(c.before);
    ASSERT_TRUE(ini.WriteText(S, c.key, c.value));
    EXPECT_EQ(content(), c.after);
    EXPECT_EQ(ini.ReadWholeText(S, c.key, nullptr), c.value);
}

const std::string handWritten = "; Quorel settings, edited by hand\r\n"
                                "\r\n"
                                "[Quorel]\r\n"
                                "  comport = \"com3\"  \r\n"
                                "; span in seconds\r\n"
                                "PlotSpan=120\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "x = 1\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, WriteByHand,
    ::testing::Values(
        WriteCase{"ReplacedInPlace", handWritten, "ComPort", "com5",
                  "; Quorel settings, edited by hand\r\n\r\n[Quorel]\r\n  comport = com5\r\n"
                  "; span in seconds\r\nPlotSpan=120\r\n\r\n[Other]\r\nx = 1\r\n"},
        WriteCase{"NewKeyAtTheEndOfItsSection", handWritten, "OffsetAtt", "1",
                  "; Quorel settings, edited by hand\r\n\r\n[Quorel]\r\n  comport = \"com3\"  \r\n"
                  "; span in seconds\r\nPlotSpan=120\r\nOffsetAtt=1\r\n\r\n[Other]\r\nx = 1\r\n"},
        WriteCase{"NewSectionAtTheEndOfTheFile", "[Other]\r\nx = 1\r\n", "ComPort", "com2",
                  "[Other]\r\nx = 1\r\n\r\n[QUOREL]\r\nComPort=com2\r\n"},
        WriteCase{"NewSectionAfterTrailingBlankLine", "[Other]\r\nx = 1\r\n\r\n", "ComPort", "com2",
                  "[Other]\r\nx = 1\r\n\r\n[QUOREL]\r\nComPort=com2\r\n"},
        WriteCase{"LastLineWithoutLineEnd", "[QUOREL]\r\nComPort=com3", "PlotSpan", "60",
                  "[QUOREL]\r\nComPort=com3\r\nPlotSpan=60\r\n"},
        WriteCase{"LineFeedFileKeepsItsLines", "[QUOREL]\nComPort=com3\nPlotSpan=120\n", "ComPort",
                  "com8", "[QUOREL]\nComPort=com8\nPlotSpan=120\n"},
        WriteCase{"OnlyFirstOfTwoSectionsChanges", "[QUOREL]\r\nA=1\r\n[QUOREL]\r\nB=2\r\n", "B",
                  "3", "[QUOREL]\r\nA=1\r\nB=3\r\n[QUOREL]\r\nB=2\r\n"},
        WriteCase{"EmptySectionGetsTheKeyBelowItsLine", "[QUOREL]\r\n\r\n[Other]\r\n", "A", "1",
                  "[QUOREL]\r\nA=1\r\n\r\n[Other]\r\n"}),
    casenames::ByName{});

// --- crash safety ---

const std::string oldSettings = "[QUOREL]\r\nComPort=com3\r\nPlotSpan=120\r\n";

TEST_F(IniFile, ProgramDyingBeforeTheReplaceLeavesTheOldFileComplete) {
    holds(oldSettings);
    EXPECT_EXIT(
        {
            CIni::setBeforeReplaceHookForTest([](const std::string&) -> bool { std::_Exit(3); });
            ini.WriteText(S, "ComPort", "com9");
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(content(), oldSettings);
    EXPECT_EQ(ini.ReadWholeText(S, "ComPort", nullptr), "com3");
}

TEST_F(IniFile, FailureBeforeTheReplaceKeepsTheOldFileAndReportsFailure) {
    holds(oldSettings);
    std::string seenTemp;
    CIni::setBeforeReplaceHookForTest([&](const std::string& temp) {
        // At this moment the new content is complete in its own file and the old one is
        // untouched.
        seenTemp = TempDir::read(temp);
        EXPECT_EQ(content(), oldSettings);
        return false;
    });
    EXPECT_FALSE(ini.WriteText(S, "ComPort", "com9"));
    CIni::setBeforeReplaceHookForTest({});
    EXPECT_EQ(seenTemp, "[QUOREL]\r\nComPort=com9\r\nPlotSpan=120\r\n");
    EXPECT_EQ(content(), oldSettings);
    EXPECT_EQ(filesInFolder(), 1) << "the temporary file is removed";
}

TEST_F(IniFile, ReadOnlyFileIsNotReplaced) {
    holds(oldSettings);
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(ini.WriteText(S, "ComPort", "com9"));
    EXPECT_EQ(content(), oldSettings);
}

// File modes and symbolic links as POSIX has them; on Windows the replacement keeps the
// file's attributes through the system's own file replacement.
#ifndef _WIN32
TEST_F(IniFile, RewriteKeepsPermissionsAndALinkStaysALink) {
    namespace fs = std::filesystem;
    std::string real = dir.file("real.ini");
    TempDir::write(real, oldSettings);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, path);
    ASSERT_TRUE(ini.WriteText(S, "ComPort", "com9"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(TempDir::read(real), "[QUOREL]\r\nComPort=com9\r\nPlotSpan=120\r\n");
}
#endif

TEST_F(IniFile, UnreadableTargetIsNeverOverwritten) {
    ASSERT_TRUE(std::filesystem::create_directory(path));
    EXPECT_EQ(ini.ReadWholeText(S, "ComPort", "com1"), "com1");
    EXPECT_FALSE(ini.WriteText(S, "ComPort", "com3"));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

} // namespace
