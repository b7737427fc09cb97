#include "firmware/HexImage.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

HexImage::Bytes loaded(const std::string& text, HexImageResult expect = HexImageResult::Loaded) {
    HexImage::Bytes image{};
    EXPECT_EQ(HexImage::loadBytes(text, image), expect) << text;
    return image;
}

bool allBlank(const HexImage::Bytes& image) {
    for (int w = 0; w < HexImage::Size / 2; ++w)
        if (HexImage::word(image, w) != 0x3FFF)
            return false;
    return true;
}

TEST(HexImage, WordIsStoredHighByteFirst) {
    auto image = loaded(":020400008A016F\n:00000001FF\n");
    EXPECT_EQ(image[0x400], 0x01);
    EXPECT_EQ(image[0x401], 0x8A);
    EXPECT_EQ(HexImage::word(image, 0x200), 0x018A);
    EXPECT_EQ(HexImage::word(image, 0x201), 0x3FFF);
}

TEST(HexImage, OddAddressedRecordSwapsEachByteWithinItsWord) {
    auto image = loaded(":03040100AABBCCC7\n:00000001FF\n");
    EXPECT_EQ(image[0x400], 0xAA); // file 0x401, high byte of word 0x200
    EXPECT_EQ(image[0x403], 0xBB); // file 0x402, low byte of word 0x201
    EXPECT_EQ(image[0x402], 0xCC); // file 0x403
    EXPECT_EQ(image[0x401], 0xFF); // untouched low byte keeps its blank value
}

TEST(HexImage, CrLfAndLfFilesGiveTheSameImage) {
    const std::string lf = ":0404000001020304EE\n:020FFE00AABB8C\n:00000001FF\n";
    std::string crlf;
    for (char c : lf)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    auto a = loaded(lf);
    EXPECT_EQ(a, loaded(crlf));
    EXPECT_EQ(HexImage::word(a, 0x7FF), 0xBBAA);
}

TEST(HexImage, FileWithoutDataRecordsIsAllBlankWords) {
    EXPECT_TRUE(allBlank(loaded(":00000001FF\n")));
    EXPECT_TRUE(allBlank(loaded(":020000040000FA\n:00000001FF\n")));
}

TEST(HexImage, MalformedLineBeforeEndRecordFailsAndLinesAfterItAreNotRead) {
    loaded(":020400008A016F\n\n:00000001FF\n", HexImageResult::ReadError); // empty line
    loaded(":020400008A016F \n:00000001FF\n", HexImageResult::ReadError);  // trailing space
    loaded(":0204000001\n:00000001FF\n", HexImageResult::ReadError);       // short record
    auto image = loaded(":020400008A016F\n:00000001FF\n\n:020402001234B4\ngarbage\n");
    EXPECT_EQ(HexImage::word(image, 0x201), 0x3FFF);
}

TEST(HexImage, RecordReachingPastTheImageIsDroppedWhole) {
    auto image = loaded(":100FF80000112233445566778899AABBCCDDEEFFF1\n"
                        ":080FF000A1A2A3A4A5A6A7A8D5\n"
                        ":02400E00E43F8D\n" // a configuration word
                        ":00000001FF\n");
    EXPECT_EQ(image[0xFF8], 0x3F);
    EXPECT_EQ(image[0xFF9], 0xFF);
    EXPECT_EQ(image[0xFF1], 0xA1);
    image = loaded(":080FF800001122334455667715\n:00000001FF\n");
    EXPECT_EQ(image[0xFF8], 0x11);
    EXPECT_EQ(image[0xFF9], 0x00);
    EXPECT_EQ(image[0xFFE], 0x77);
    EXPECT_EQ(image[0xFFF], 0x66);
}

TEST(HexImage, ExtendedLinearAddressIsIgnored) {
    auto image = loaded(":020000040001F9\n:020400008A016F\n:00000001FF\n");
    EXPECT_EQ(HexImage::word(image, 0x200), 0x018A);
}

TEST(HexImage, LowerCaseDigitsDecodeLikeUpperCase) {
    EXPECT_EQ(loaded(":0204000001ab4e\n:00000001FF\n"), loaded(":0204000001AB4E\n:00000001FF\n"));
    EXPECT_EQ(HexImage::word(loaded(":02040000abcd82\n:00000001FF\n"), 0x200), 0xCDAB);
}

TEST(HexImage, LaterRecordOverwritesEarlierOne) {
    auto image = loaded(":04040000112233444E\n:020402009988D7\n:00000001FF\n");
    EXPECT_EQ(HexImage::word(image, 0x200), 0x2211);
    EXPECT_EQ(HexImage::word(image, 0x201), 0x8899);
}

TEST(HexImage, LongestRecordInACrLfFileLoads) {
    std::string line = ":79040000";
    for (int i = 0; i < 121; ++i)
        line += "5A";
    line += "F9\r\n";
    auto image = loaded(line + ":00000001FF\r\n");
    EXPECT_EQ(image[0x400 + 120 - 1], 0x5A);
}

// A file damaged on the way or cut short is never used, whatever it held before the fault.
TEST(HexImage, DamagedOrCutShortFileIsAReadError) {
    loaded(":020400008A0170\n:00000001FF\n", HexImageResult::ReadError); // checksum
    loaded(":020400008A016F\n:00000001FE\n", HexImageResult::ReadError); // end record's
    loaded(":020400008A016F\n", HexImageResult::ReadError);              // no end record
    loaded("", HexImageResult::ReadError);
}

TEST(HexImage, BlankTestLooksOnlyAtItsRangeAndAtWholeWords) {
    auto image = loaded(":0203FE008A0172\n:00000001FF\n"); // the word just below 0x400
    EXPECT_FALSE(HexImage::isBlank(image, 0, HexImage::Size));
    EXPECT_TRUE(HexImage::isBlank(image, 0x400, HexImage::Size));
    image = loaded(":010FFF0000F1\n:00000001FF\n"); // the high byte of the last word
    EXPECT_FALSE(HexImage::isBlank(image, 0x400, HexImage::Size));
    // Blank words written out by the file leave the range blank.
    EXPECT_TRUE(HexImage::isBlank(loaded(":04040000FF3FFF3F7C\n:00000001FF\n"), 0x400, 4096));
}

TEST(HexImage, FileThatCannotBeOpenedIsReported) {
    TempDir dir;
    HexImage::Bytes image{};
    EXPECT_EQ(HexImage::load(dir.file("missing.hex"), image), HexImageResult::CannotOpen);
    EXPECT_EQ(HexImage::load(dir.path(), image), HexImageResult::CannotOpen);
    EXPECT_EQ(HexImage::load("", image), HexImageResult::CannotOpen);
}

// The image must agree with what a standard tool writes for a known binary, byte for byte
// after the word swap.
TEST(HexImage, AgreesWithHexWrittenByObjcopy) {
    if (std::system("command -v objcopy >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "objcopy not installed";
    TempDir dir;
    std::string binary(HexImage::Size, '\0');
    unsigned x = 12345;
    for (auto& b : binary) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 16);
    }
    TempDir::write(dir.file("fw.bin"), binary);
    std::string cmd =
        "objcopy -I binary -O ihex '" + dir.file("fw.bin") + "' '" + dir.file("fw.hex") + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    HexImage::Bytes image{};
    ASSERT_EQ(HexImage::load(dir.file("fw.hex"), image), HexImageResult::Loaded);
    for (int a = 0; a < HexImage::Size; ++a)
        ASSERT_EQ(image[a ^ 1], static_cast<std::uint8_t>(binary[a])) << "byte " << a;
}

} // namespace
