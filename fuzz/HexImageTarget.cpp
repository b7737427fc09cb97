// The HEX reader on arbitrary file content. Checked on every input:
// - the record stream ends (a result of -1 or -2) within one call per line, and every
//   record count lies in 0..255;
// - result and image are those of the reader's rules, written out here once more: blank
//   words, the kept records placed over them with each word's bytes swapped to high byte
//   first, a record reaching past 4096 dropped whole, a malformed line, a record whose
//   checksum does not match and a text without end-of-file record a read error;
// - the update's test for an image that programs nothing it would send agrees with the
//   image;
// - the file reader and the in-memory reader agree on the result and on every byte.
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "firmware/HexImage.h"
#include "firmware/HexReader.h"

#include <algorithm>
#include <string>

namespace {

constexpr const char* Target = "HexImage";

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int hexPair(const std::string& line, std::size_t at) {
    return hexDigit(line[at]) * 16 + hexDigit(line[at + 1]);
}

// What a file should load as, by the reader's rules written out once more on their own.
struct Expected {
    HexImage::Bytes image;
    HexImageResult result = HexImageResult::Loaded;
};

Expected expectedImage(const std::string& text) {
    Expected e;
    for (int i = 0; i < HexImage::Size; ++i)
        e.image[i] = (i % 2 == 0) ? 0x3F : 0xFF;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::string line = text.substr(pos, lf == std::string::npos ? lf : lf - pos);
        pos = lf == std::string::npos ? text.size() : lf + 1;
        auto control = std::find_if(line.begin(), line.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        line.erase(control, line.end());
        bool wellFormed =
            line.size() >= 11 && line.size() <= 254 && line[0] == ':' &&
            std::all_of(line.begin() + 1, line.end(), [](char c) { return hexDigit(c) >= 0; });
        if (!wellFormed) {
            e.result = HexImageResult::ReadError;
            return e;
        }
        int count = hexPair(line, 1);
        int address = hexPair(line, 3) * 256 + hexPair(line, 5);
        int type = hexPair(line, 7);
        if (line.size() < 11 + 2 * static_cast<std::size_t>(count)) {
            e.result = HexImageResult::ReadError;
            return e;
        }
        int sum = 0;
        for (int k = 0; k < count + 5; ++k)
            sum += hexPair(line, 1 + 2 * k);
        if (sum % 256 != 0) {
            e.result = HexImageResult::ReadError;
            return e;
        }
        if (type == 0x01)
            return e;
        if (type != 0x00)
            continue;
        if (count == 0 || address + count > HexImage::Size)
            continue;
        for (int k = 0; k < count; ++k)
            e.image[(address + k) ^ 1] = static_cast<std::uint8_t>(hexPair(line, 9 + 2 * k));
    }
    // The text ended without an end-of-file record.
    e.result = HexImageResult::ReadError;
    return e;
}

// The record stream ends within one call per line, and every count lies in 0..255.
void checkRecordStream(const std::string& text) {
    HexReader reader;
    reader.openBytes(text);
    std::uint8_t data[256];
    std::uint16_t address = 0;
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (std::size_t calls = 1;; ++calls) {
        FUZZ_CHECK(Target, calls <= lines + 1, "the reader went on past the last line");
        int count = reader.nextDataRecord(address, data);
        FUZZ_CHECK(Target, count >= HexReader::MalformedLine && count <= 255,
                   "record count " + std::to_string(count));
        if (count < 0)
            return;
    }
}

std::string firstDifference(const HexImage::Bytes& a, const HexImage::Bytes& b) {
    for (int i = 0; i < HexImage::Size; ++i)
        if (a[i] != b[i])
            return "image byte " + std::to_string(i) + ": " + std::to_string(a[i]) + " against " +
                   std::to_string(b[i]);
    return "";
}

} // namespace

int fuzzHexImage(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    HexImage::Bytes fromMemory{};
    HexImageResult memoryResult = HexImage::loadBytes(text, fromMemory);
    FUZZ_CHECK(Target,
               memoryResult == HexImageResult::Loaded || memoryResult == HexImageResult::ReadError,
               "bytes in memory cannot fail to open");

    checkRecordStream(text);
    Expected expected = expectedImage(text);
    FUZZ_CHECK(Target, memoryResult == expected.result, "result differs from the reader's rules");
    FUZZ_CHECK(Target, fromMemory == expected.image, firstDifference(fromMemory, expected.image));
    bool programmed = false;
    for (int i = 0x400; i < HexImage::Size; ++i)
        programmed = programmed || expected.image[i] != ((i % 2 == 0) ? 0x3F : 0xFF);
    FUZZ_CHECK(Target, HexImage::isBlank(fromMemory, 0x400, HexImage::Size) == !programmed,
               "the blank test of the sent range disagrees with the image");

    static const std::string path = fuzzsupport::scratchDir() + "/firmware.hex";
    fuzzsupport::writeFile(path, text);
    HexImage::Bytes fromFile{};
    HexImageResult fileResult = HexImage::load(path, fromFile);
    FUZZ_CHECK(Target, fileResult == memoryResult, "the file and the bytes read differently");
    FUZZ_CHECK(Target, fromFile == fromMemory, firstDifference(fromFile, fromMemory));
    return 0;
}
