#include "scpi/Errors.h"

namespace scpi {

const char* errorText(Error error) {
    switch (error) {
    case Error::None:
        return "No error";
    case Error::Syntax:
        return "Syntax error";
    case Error::DataType:
        return "Data type error";
    case Error::ParameterNotAllowed:
        return "Parameter not allowed";
    case Error::MissingParameter:
        return "Missing parameter";
    case Error::UndefinedHeader:
        return "Undefined header";
    case Error::InvalidSuffix:
        return "Invalid suffix";
    case Error::SettingsConflict:
        return "Settings conflict";
    case Error::DataOutOfRange:
        return "Data out of range";
    case Error::TooMuchData:
        return "Too much data";
    case Error::Hardware:
        return "Hardware error";
    case Error::HardwareMissing:
        return "Hardware missing";
    case Error::QueueOverflow:
        return "Queue overflow";
    case Error::QueryInterrupted:
        return "Query INTERRUPTED";
    case Error::QueryUnterminated:
        return "Query UNTERMINATED";
    }
    return "Error";
}

int eventBitOf(Error error) {
    int code = static_cast<int>(error);
    if (code <= -100 && code > -200)
        return 5;
    if (code <= -200 && code > -300)
        return 4;
    if (code <= -300 && code > -400)
        return 3;
    if (code <= -400 && code > -500)
        return 2;
    return -1;
}

bool ErrorQueue::push(Error error, std::string detail) {
    if (entries_.size() < Capacity) {
        entries_.push_back({error, std::move(detail)});
        return true;
    }
    // Full: the oldest errors stay, the newest place says that some were lost.
    entries_.back() = {Error::QueueOverflow, {}};
    return false;
}

ErrorEntry ErrorQueue::pop() {
    if (entries_.empty())
        return {};
    ErrorEntry e = std::move(entries_.front());
    entries_.pop_front();
    return e;
}

std::string formatErrorEntry(const ErrorEntry& entry) {
    std::string text = errorText(entry.error);
    if (!entry.detail.empty())
        text += ";" + entry.detail;
    // A quote inside string response data is doubled.
    std::string quoted;
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return std::to_string(static_cast<int>(entry.error)) + ",\"" + quoted + "\"";
}

} // namespace scpi
