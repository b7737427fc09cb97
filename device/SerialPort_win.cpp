#include "device/SerialPort.h"

#include "platform/Clock.h"
#include "platform/win/WideText.h"

#include <windows.h>

namespace {

// An overlapped record with its own manual-reset event, created non-signalled.
struct Overlapped {
    OVERLAPPED record{};

    bool create() {
        record.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        return record.hEvent != nullptr;
    }
    void release() {
        if (record.hEvent)
            CloseHandle(record.hEvent);
        record.hEvent = nullptr;
    }
    void reset() {
        HANDLE event = record.hEvent;
        record = OVERLAPPED{};
        record.hEvent = event;
        ResetEvent(event);
    }
};

// 8N1 at the baud rate, no flow control of either kind; DTR stays as EscapeCommFunction
// sets it. Failures are not reported: the callers expect an open port even then.
void configureLine(HANDLE h, int baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (GetCommState(h, &dcb)) {
        dcb.BaudRate = static_cast<DWORD>(baud);
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = FALSE;
        SetCommState(h, &dcb);
    }
    // The read time-outs' special form: a read returns at once with what is queued, and
    // with nothing queued it waits for the first byte, at most ReadWaitMs, and returns what
    // has come then. Bytes that arrive between reads stay in the driver's queue. (A wait for
    // the received-character event would serve too on Windows, but Wine cannot wait for it
    // on a pseudo-terminal.) Writes have no time-out of the driver: the transport waits.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = SerialPort::ReadWaitMs;
    SetCommTimeouts(h, &timeouts);
}

} // namespace

struct SerialPort::Native {
    HANDLE port = INVALID_HANDLE_VALUE;
    // Reads and writes, each with a record and event of its own.
    Overlapped receive;
    Overlapped transmit;

    ~Native() {
        if (port != INVALID_HANDLE_VALUE)
            CloseHandle(port);
        transmit.release();
        receive.release();
    }

    // Bytes waiting in the driver's queue; line errors are cleared and otherwise ignored.
    // -1 when the port no longer answers (a vanished device).
    int queued() {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port, &errors, &status))
            return -1;
        return static_cast<int>(status.cbInQue);
    }

    // One read under the port's time-outs: at once with queued bytes, else after the first
    // byte or ReadWaitMs. The wait here is longer, in case a driver ignores the time-outs; a
    // read cut short keeps what it had taken, so no byte is lost.
    int readWithin(std::uint8_t* buffer, int capacity) {
        receive.reset();
        DWORD got = 0;
        if (ReadFile(port, buffer, static_cast<DWORD>(capacity), &got, &receive.record))
            return static_cast<int>(got);
        if (GetLastError() != ERROR_IO_PENDING)
            return -1;
        if (WaitForSingleObject(receive.record.hEvent, 2 * SerialPort::ReadWaitMs) != WAIT_OBJECT_0)
            CancelIo(port);
        if (!GetOverlappedResult(port, &receive.record, &got, TRUE))
            return GetLastError() == ERROR_OPERATION_ABORTED ? static_cast<int>(got) : -1;
        return static_cast<int>(got);
    }
};

std::string SerialPort::devicePath(const std::string& name) {
    if (name.find_first_of("\\/") != std::string::npos)
        return name;
    if (int n = comNumber(name); n >= 1)
        return "\\\\.\\COM" + std::to_string(n);
    return "\\\\.\\" + name;
}

std::size_t SerialPort::maxNameLength(const std::string& name) {
    // A device path may be as long as the system's long paths.
    if (name.find_first_of("\\/") != std::string::npos)
        return 32767 - 1;
    return MaxNameLength;
}

std::unique_ptr<SerialPort> SerialPort::open(const std::string& name, int baud) {
    using Kind = OpenFailure::Kind;
    if (name.empty() || name.size() > maxNameLength(name)) {
        noteOpenFailure(OpenFailure::of(Kind::Missing, name));
        return nullptr;
    }
    auto native = std::make_unique<Native>();
    const std::string path = devicePath(name);
    // Not shared: a port held by this or another program cannot be opened again.
    native->port = CreateFileW(platform::win::toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                               nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (native->port == INVALID_HANDLE_VALUE) {
        // A COM port that another program holds answers "access denied"; Windows has no
        // permission of its own on serial ports for a user.
        const DWORD error = GetLastError();
        noteOpenFailure(error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
                            ? OpenFailure::of(Kind::InUse, path)
                        : error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                            ? OpenFailure::of(Kind::Missing, path)
                            : OpenFailure::of(Kind::Other, path));
        return nullptr;
    }
    // Only a serial line: a disk file or a pipe named as the port is refused.
    if (GetFileType(native->port) != FILE_TYPE_CHAR) {
        noteOpenFailure(OpenFailure::of(Kind::Other, path));
        return nullptr;
    }
    noteOpenFailure({});
    EscapeCommFunction(native->port, CLRDTR);
    configureLine(native->port, baud);
    EscapeCommFunction(native->port, SETDTR);
    if (!native->receive.create() || !native->transmit.create())
        return nullptr;
    std::unique_ptr<SerialPort> port(new SerialPort());
    port->native_ = std::move(native);
    return port;
}

SerialPort::~SerialPort() = default;

int SerialPort::write(const std::uint8_t* bytes, int count) {
    if (count <= 0)
        return 0;
    Native& n = *native_;
    n.transmit.reset();
    DWORD written = 0;
    if (WriteFile(n.port, bytes, static_cast<DWORD>(count), &written, &n.transmit.record))
        return static_cast<int>(written);
    if (GetLastError() != ERROR_IO_PENDING)
        return -1;
    if (WaitForSingleObject(n.transmit.record.hEvent, WriteWaitMs) != WAIT_OBJECT_0) {
        // The record is not used again while the system may still write through it.
        CancelIo(n.port);
        GetOverlappedResult(n.port, &n.transmit.record, &written, TRUE);
        return -1;
    }
    if (!GetOverlappedResult(n.port, &n.transmit.record, &written, FALSE))
        return -1;
    return static_cast<int>(written);
}

int SerialPort::read(std::uint8_t* buffer, int capacity) {
    // Offered no room, nothing can be stored; waiting would only delay the caller.
    if (capacity <= 0)
        return 0;
    Native& n = *native_;
    // What is queued is taken without waiting; only then does the read wait for input.
    const int queued = n.queued();
    if (queued < 0)
        return -1;
    if (queued == 0)
        platform::inputWaitStarting(ReadWaitMs);
    return n.readWithin(buffer, queued > 0 && queued < capacity ? queued : capacity);
}
