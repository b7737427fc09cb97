#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// What one line of an Intel HEX file is to the reader.
enum class HexLineKind {
    Data,      // type 00: count, address and bytes filled in
    EndOfFile, // type 01: nothing after it is read
    Skipped,   // any other type; extended addresses are not applied
    Malformed,
};

// One data record: the 16-bit address field as written and up to 255 bytes in file order.
struct HexRecord {
    int count = 0;
    std::uint16_t address = 0;
    std::uint8_t data[256] = {};
};

// Reads a firmware file line by line and hands out its data records. The source is either a
// file or bytes already in memory, so that the parsing can be driven without a file system.
class HexReader {
public:
    // A line is kept to this many characters; a longer one cannot hold a valid record.
    static constexpr int MaxLineChars = 254;
    // Colon, count, address, type and checksum.
    static constexpr int MinRecordChars = 11;

    static constexpr int EndOfRecords = -1;
    static constexpr int MalformedLine = -2;

    HexReader() = default;
    ~HexReader();
    HexReader(const HexReader&) = delete;
    HexReader& operator=(const HexReader&) = delete;

    // Opens a regular file for reading; false at once when it cannot be opened (missing,
    // unreadable, a folder, a FIFO or a device). Closes any source held before.
    bool open(const std::string& path);
    // Reads from the given bytes instead of a file.
    void openBytes(std::string bytes);
    void close();
    bool isOpen() const { return file_ != nullptr || inMemory_; }

    // The byte count (0 or more) of the next data record, with its address and bytes;
    // EndOfRecords at the end-of-file record; MalformedLine for a line that is not a valid
    // record (its checksum included), when the source ends without an end-of-file record, or
    // when it cannot be read.
    int nextDataRecord(std::uint16_t& address, std::uint8_t* data);

    // Classifies one line (its end already removed) and decodes a data record. A record whose
    // checksum does not match, of whatever type, is malformed.
    static HexLineKind parseLine(std::string_view line, HexRecord& record);

private:
    enum class LineRead { Line, End, Failed };
    LineRead readLine(std::string& line);
    int nextByte(); // EOF at the end of the source
    bool sourceFailed() const;

    std::FILE* file_ = nullptr;
    bool inMemory_ = false;
    std::string bytes_;
    std::size_t pos_ = 0;
};
