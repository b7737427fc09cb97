#include "firmware/HexImage.h"

#include "firmware/HexReader.h"

namespace HexImage {

void fillBlank(Bytes& image) {
    for (int i = 0; i < Size; i += 2) {
        image[i] = BlankWord >> 8;
        image[i + 1] = BlankWord & 0xFF;
    }
}

HexImageResult loadFrom(HexReader& reader, Bytes& image) {
    fillBlank(image);
    std::uint8_t data[256];
    std::uint16_t address = 0;
    for (;;) {
        int count = reader.nextDataRecord(address, data);
        if (count == HexReader::EndOfRecords)
            return HexImageResult::Loaded;
        if (count < 0)
            return HexImageResult::ReadError;
        // A record reaching past the image (configuration words, data memory) is dropped
        // whole rather than clipped.
        if (count == 0 || address + count > Size)
            continue;
        // The file gives each word low byte first; the image holds it high byte first.
        for (int i = 0; i < count; ++i) {
            int a = address + i;
            image[(a % 2 == 0) ? a + 1 : a - 1] = data[i];
        }
    }
}

HexImageResult load(const std::string& path, Bytes& image) {
    fillBlank(image);
    HexReader reader;
    if (!reader.open(path))
        return HexImageResult::CannotOpen;
    return loadFrom(reader, image);
}

HexImageResult loadBytes(std::string_view text, Bytes& image) {
    HexReader reader;
    reader.openBytes(std::string(text));
    return loadFrom(reader, image);
}

std::uint16_t word(const Bytes& image, int wordAddress) {
    return static_cast<std::uint16_t>(image[2 * wordAddress] << 8 | image[2 * wordAddress + 1]);
}

bool isBlank(const Bytes& image, int fromByte, int endByte) {
    for (int w = fromByte / 2; w < endByte / 2; ++w)
        if (word(image, w) != BlankWord)
            return false;
    return true;
}

} // namespace HexImage
