#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

// The byte transport under both device protocols: a serial port opened exclusively, with
// bounded waits. Every operation runs on the caller's thread and returns in bounded time:
// a write waits at most 1000 ms, an idle read about 100 ms, a line reception five idle reads
// or a full buffer.
//
// The platform part (opening, the waits) lives in one file per platform; the line
// assembly and the pacing here are shared.
class SerialPort {
public:
    static constexpr int WriteWaitMs = 1000;
    static constexpr int ReadWaitMs = 100;
    // Reads of a line reception that may wait in vain; reads that bring bytes do not count.
    static constexpr int LineReads = 5;
    // A port name that is not a device path becomes part of one and may be no longer than
    // this; a device path may be as long as the system allows.
    static constexpr std::size_t MaxNameLength = 27;

    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Why the last open on this thread failed, as far as the system tells.
    struct OpenFailure {
        enum class Kind {
            None,         // the last open succeeded (or none was tried)
            Missing,      // no such port, or the name is too long
            NoPermission, // the port is there but this user may not open it
            InUse,        // another opener holds it
            Other,        // not a serial line, or another failure
        };
        Kind kind = Kind::None;
        std::string path;         // the device the name resolved to
        std::string group;        // the group that owns the device (where the system has groups)
        bool groupMayUse = false; // members of that group may read and write it

        static OpenFailure of(Kind kind, std::string path) {
            OpenFailure f;
            f.kind = kind;
            f.path = std::move(path);
            return f;
        }
    };

    // Opens the named port at the baud rate (8N1, raw, no XON/XOFF); nothing if the port
    // does not exist, is held by another opener, or the name is too long. A failure is
    // recorded for lastOpenFailure().
    static std::unique_ptr<SerialPort> open(const std::string& name, int baud);
    static const OpenFailure& lastOpenFailure();
    // Releases the port; an empty pointer is accepted and ignored.
    static void close(std::unique_ptr<SerialPort>& port);

    // Bytes written, or -1 when the write failed or did not finish within 1000 ms.
    int write(const std::uint8_t* bytes, int count);
    // Bytes read (1..capacity) from what is queued, 0 when nothing arrived within about
    // 100 ms (or capacity is 0), -1 on failure or hang-up.
    int read(std::uint8_t* buffer, int capacity);
    // Sends each byte alone with the pause before the first and after every byte.
    int sendPaced(const std::uint8_t* bytes, int count, int pauseMs);
    // Collects a reply ending in CR LF; capacity includes one byte for the terminating NUL.
    // A reply may come in any number of pieces: the reception ends at CR LF, at the fifth
    // read that waited and received nothing (about 500 ms of silence in all), or when the
    // buffer is full. Returns the bytes received (0 if none), or -1.
    int receiveLine(std::uint8_t* buffer, int capacity);

    // The N of a port named "comN" (any case, N of one to five digits), or 0 for any other
    // name; "com0" is no port of this kind either.
    static int comNumber(const std::string& name);
    // The device path the name resolves to on this platform.
    static std::string devicePath(const std::string& name);
    // The longest name `open` tries: the system's limit for a device path (a name with "/"),
    // MaxNameLength for any other.
    static std::size_t maxNameLength(const std::string& name);

private:
    SerialPort() = default;
    static void noteOpenFailure(OpenFailure failure);
    // The open port and what waiting on it takes, as the platform's file defines it.
    struct Native;
    std::unique_ptr<Native> native_;
};
