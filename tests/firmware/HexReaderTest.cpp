#include "firmware/HexReader.h"

#include "support/CaseNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LineCase {
    const char* name;
    std::string line;
    HexLineKind kind;
};
void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class HexLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(HexLineTest, LineIsClassifiedAsExpected) {
    HexRecord record;
    EXPECT_EQ(HexReader::parseLine(GetParam().line, record), GetParam().kind);
}

// A record of 121 bytes is the longest that fits the 254 characters of a line.
std::string recordOfBytes(int count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string line = ":";
    line += digits[count >> 4];
    line += digits[count & 15];
    line += "000000";
    for (int i = 0; i < count; ++i)
        line += "5A";
    const unsigned checksum = (0x100 - ((count + count * 0x5A) & 0xFF)) & 0xFF;
    line += digits[checksum >> 4];
    line += digits[checksum & 15];
    return line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HexLineTest,
    testing::Values(
        LineCase{"EndOfFile", ":00000001FF", HexLineKind::EndOfFile},
        LineCase{"Data", ":02040000018A6F", HexLineKind::Data},
        LineCase{"ZeroCountData", ":00010000FF", HexLineKind::Data},
        LineCase{"ExtendedLinear", ":020000040001F9", HexLineKind::Skipped},
        LineCase{"ExtendedSegment", ":020000021000EC", HexLineKind::Skipped},
        LineCase{"UnknownType", ":0000009967", HexLineKind::Skipped},
        LineCase{"LowerCaseDigits", ":02040000018a6f", HexLineKind::Data},
        LineCase{"Empty", "", HexLineKind::Malformed},
        LineCase{"TenCharacters", ":00000001F", HexLineKind::Malformed},
        LineCase{"NoColon", "000000001FF", HexLineKind::Malformed},
        LineCase{"TrailingSpace", ":00000001FF ", HexLineKind::Malformed},
        LineCase{"LeadingSpace", " :00000001FF", HexLineKind::Malformed},
        LineCase{"NotAHexDigit", ":0200000001G86F", HexLineKind::Malformed},
        LineCase{"DataWithoutChecksum", ":02040000018A", HexLineKind::Malformed},
        LineCase{"DataShorterThanCount", ":10040000018A6F", HexLineKind::Malformed},
        LineCase{"SurplusDigitsAccepted", ":02040000018A6F0000", HexLineKind::Data},
        LineCase{"LongestRecord", recordOfBytes(121), HexLineKind::Data},
        LineCase{"RecordBeyondLineLimit", recordOfBytes(122), HexLineKind::Malformed},
        // A line damaged on the way: whatever its type, it is never taken.
        LineCase{"DataChecksumOffByOne", ":02040000018A70", HexLineKind::Malformed},
        LineCase{"DataByteChanged", ":02040000018B6F", HexLineKind::Malformed},
        LineCase{"EndOfFileChecksumWrong", ":00000001FE", HexLineKind::Malformed},
        LineCase{"SkippedRecordChecksumWrong", ":020000040001F8", HexLineKind::Malformed},
        LineCase{"SkippedRecordShorterThanCount", ":0200000400F9", HexLineKind::Malformed}),
    casenames::ByName{});

TEST(HexReader, DataRecordHandsOutAddressFieldAndBytesInFileOrder) {
    HexReader reader;
    reader.openBytes(":03ABCD000102037F\n:00000001FF\n");
    std::uint16_t address = 0;
    std::uint8_t data[256] = {};
    ASSERT_EQ(reader.nextDataRecord(address, data), 3);
    EXPECT_EQ(address, 0xABCD);
    EXPECT_EQ(data[0], 0x01);
    EXPECT_EQ(data[1], 0x02);
    EXPECT_EQ(data[2], 0x03);
    EXPECT_EQ(reader.nextDataRecord(address, data), HexReader::EndOfRecords);
}

TEST(HexReader, ControlCharacterCutsTheLineAndTheRestIsIgnored) {
    HexReader reader;
    const char bytes[] = ":02040000018A6F\x1Ajunk\n:00000001FF\0zz\n";
    std::string text(bytes, sizeof bytes - 1);
    reader.openBytes(text);
    std::uint16_t address = 0;
    std::uint8_t data[256];
    EXPECT_EQ(reader.nextDataRecord(address, data), 2);
    EXPECT_EQ(reader.nextDataRecord(address, data), HexReader::EndOfRecords);
}

TEST(HexReader, EndlessLineFailsWithoutBeingReadWhole) {
    HexReader reader;
    reader.openBytes(":" + std::string(1 << 20, '0'));
    std::uint16_t address = 0;
    std::uint8_t data[256];
    EXPECT_EQ(reader.nextDataRecord(address, data), HexReader::MalformedLine);
}

TEST(HexReader, SourceEndingWithoutEndRecordIsMalformed) {
    // An interrupted download stops anywhere; what it lost is not known.
    for (const char* text : {":020400008A016F\n", ":020400008A016F\r\n:0204", ""}) {
        HexReader reader;
        reader.openBytes(text);
        std::uint16_t address = 0;
        std::uint8_t data[256];
        int result = 0;
        for (int calls = 0; calls < 3 && result >= 0; ++calls)
            result = reader.nextDataRecord(address, data);
        EXPECT_EQ(result, HexReader::MalformedLine) << text;
    }
}

} // namespace
