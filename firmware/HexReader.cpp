#include "firmware/HexReader.h"

#include "platform/RegularFile.h"

#include <cstring>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int hexByte(std::string_view line, std::size_t at) {
    return hexValue(line[at]) * 16 + hexValue(line[at + 1]);
}

bool isControl(int c) {
    return (c >= 0x00 && c <= 0x1F) || c == 0x7F;
}

} // namespace

HexReader::~HexReader() {
    close();
}

bool HexReader::open(const std::string& path) {
    close();
    // Only a regular file is firmware: a folder yields only read errors, and a FIFO or a
    // device would keep the reader waiting for bytes that may never come.
    file_ = platform::openRegularFile(path);
    return file_ != nullptr;
}

void HexReader::openBytes(std::string bytes) {
    close();
    bytes_ = std::move(bytes);
    pos_ = 0;
    inMemory_ = true;
}

void HexReader::close() {
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    inMemory_ = false;
    bytes_.clear();
    pos_ = 0;
}

int HexReader::nextByte() {
    if (file_)
        return std::fgetc(file_);
    if (inMemory_ && pos_ < bytes_.size())
        return static_cast<unsigned char>(bytes_[pos_++]);
    return EOF;
}

bool HexReader::sourceFailed() const {
    return file_ && std::ferror(file_);
}

// Takes the next line up to its LF, cut at its first control character (which drops CR LF
// and LF alike). Collection stops one character past the limit: such a line is already
// malformed and the reader goes no further, so an endless line costs no more than that.
HexReader::LineRead HexReader::readLine(std::string& line) {
    line.clear();
    bool any = false;
    bool cut = false;
    for (;;) {
        int c = nextByte();
        if (c == EOF) {
            if (sourceFailed())
                return LineRead::Failed;
            return any ? LineRead::Line : LineRead::End;
        }
        any = true;
        if (c == '\n')
            return LineRead::Line;
        if (cut)
            continue;
        if (isControl(c)) {
            cut = true;
            continue;
        }
        line.push_back(static_cast<char>(c));
        if (line.size() > static_cast<std::size_t>(MaxLineChars))
            return LineRead::Line;
    }
}

HexLineKind HexReader::parseLine(std::string_view line, HexRecord& record) {
    if (line.size() > static_cast<std::size_t>(MaxLineChars) ||
        line.size() < static_cast<std::size_t>(MinRecordChars) || line[0] != ':')
        return HexLineKind::Malformed;
    for (std::size_t i = 1; i < line.size(); ++i)
        if (hexValue(line[i]) < 0)
            return HexLineKind::Malformed;

    int count = hexByte(line, 1);
    int address = hexByte(line, 3) * 256 + hexByte(line, 5);
    int type = hexByte(line, 7);
    // Every digit of the record, its checksum included, must lie within the line, and the
    // record's bytes with its checksum must add up to zero: a line damaged on the way is
    // never taken for firmware. Digits behind the checksum are not looked at.
    if (line.size() < static_cast<std::size_t>(MinRecordChars + 2 * count))
        return HexLineKind::Malformed;
    unsigned sum = 0;
    for (int i = 0; i < count + 5; ++i)
        sum += static_cast<unsigned>(hexByte(line, 1 + 2 * i));
    if ((sum & 0xFF) != 0)
        return HexLineKind::Malformed;
    if (type == 0x01)
        return HexLineKind::EndOfFile;
    if (type != 0x00)
        return HexLineKind::Skipped;
    record.count = count;
    record.address = static_cast<std::uint16_t>(address);
    for (int i = 0; i < count; ++i)
        record.data[i] = static_cast<std::uint8_t>(hexByte(line, 9 + 2 * i));
    return HexLineKind::Data;
}

int HexReader::nextDataRecord(std::uint16_t& address, std::uint8_t* data) {
    if (!isOpen())
        return EndOfRecords;
    std::string line;
    HexRecord record;
    for (;;) {
        switch (readLine(line)) {
        case LineRead::End:
            // A file that stops before its end-of-file record was cut short (an interrupted
            // download): what is missing is not known, so none of it is used.
            return MalformedLine;
        case LineRead::Failed:
            return MalformedLine;
        case LineRead::Line:
            break;
        }
        switch (parseLine(line, record)) {
        case HexLineKind::Malformed:
            return MalformedLine;
        case HexLineKind::EndOfFile:
            return EndOfRecords;
        case HexLineKind::Skipped:
            continue;
        case HexLineKind::Data:
            address = record.address;
            std::memcpy(data, record.data, static_cast<std::size_t>(record.count));
            return record.count;
        }
    }
}
