#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class HexReader;

enum class HexImageResult {
    Loaded, // read to the end-of-file record
    CannotOpen,
    ReadError, // a malformed line or no end-of-file record; the image is not to be used
};

// The device's program memory as the boot-loader takes it: 2048 words of 16 bits, each held
// high byte first in two consecutive bytes, indexed by the byte address of the HEX file.
namespace HexImage {

constexpr int Size = 4096;
// The value of a word that was never programmed.
constexpr std::uint16_t BlankWord = 0x3FFF;

using Bytes = std::array<std::uint8_t, Size>;

void fillBlank(Bytes& image);

// Fills the image with blank words, then places the data records of the file over it.
// The file is closed again before this returns.
HexImageResult load(const std::string& path, Bytes& image);
// The same over HEX text already in memory.
HexImageResult loadBytes(std::string_view text, Bytes& image);
// The same over a reader whose source is open; the reader is left open.
HexImageResult loadFrom(HexReader& reader, Bytes& image);

// The word at a word address (0 to 2047), high byte first.
std::uint16_t word(const Bytes& image, int wordAddress);

// Whether every word in the byte range [fromByte, endByte) still holds the blank word, that
// is, the file programmed none of them.
bool isBlank(const Bytes& image, int fromByte, int endByte);

} // namespace HexImage
