#pragma once

#include <cstddef>
#include <deque>
#include <string>

// The instrument language's error numbers, their standard texts and a client's error queue.
namespace scpi {

enum class Error : int {
    None = 0,
    Syntax = -102,
    DataType = -104,
    ParameterNotAllowed = -108,
    MissingParameter = -109,
    UndefinedHeader = -113,
    InvalidSuffix = -131,
    SettingsConflict = -221,
    DataOutOfRange = -222,
    TooMuchData = -223,
    Hardware = -240,
    HardwareMissing = -241,
    QueueOverflow = -350,
    QueryInterrupted = -410,
    QueryUnterminated = -420,
};

// The text the standard gives the number, e.g. "Data out of range".
const char* errorText(Error error);

// The status bit of the standard event register that an error of this class sets:
// command errors 5, execution errors 4, device-specific errors 3, query errors 2; -1 none.
int eventBitOf(Error error);

// One entry: the number and what the instrument adds after the standard text.
struct ErrorEntry {
    Error error = Error::None;
    std::string detail;
};

// The errors of one client, oldest first. When full, the newest entry is replaced by
// -350 "Queue overflow" and later errors are lost until the queue is read.
class ErrorQueue {
public:
    static constexpr std::size_t Capacity = 16;

    // False when the queue was full and the error is lost.
    bool push(Error error, std::string detail = {});
    // The oldest entry, removed; None when the queue is empty.
    ErrorEntry pop();
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    void clear() { entries_.clear(); }

private:
    std::deque<ErrorEntry> entries_;
};

// An entry as SYSTem:ERRor? answers it: -222,"Data out of range" or, with a detail,
// -221,"Settings conflict;step 3".
std::string formatErrorEntry(const ErrorEntry& entry);

} // namespace scpi
