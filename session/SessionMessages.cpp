#include "session/SessionMessages.h"

#include "platform/Clock.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "session/SetpointRules.h"

#include <cstdio>

namespace session {

namespace {

std::string printf2(const char* pattern, const char* a, const char* b, const char* c = "",
                    const char* d = "") {
    const int n = std::snprintf(nullptr, 0, pattern, a, b, c, d);
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(s.data(), s.size(), pattern, a, b, c, d);
    s.pop_back();
    return s;
}

} // namespace

std::string connectedMessage(const std::string& port, const std::string& version) {
    // Each "%s" is replaced in turn, so that no text of the device is read as a format.
    std::string message = texts::LogConnected.str();
    std::size_t from = 0;
    for (const std::string* part : {&port, &version}) {
        const auto at = message.find("%s", from);
        if (at == std::string::npos)
            break;
        message.replace(at, 2, *part);
        from = at + part->size();
    }
    return message;
}

const char* protectionName(ProtectionKind kind) {
    switch (kind) {
    case ProtectionKind::OverVoltage:
        return texts::ProtectionOverVoltage;
    case ProtectionKind::OverCurrent:
        return texts::ProtectionOverCurrent;
    case ProtectionKind::OverPower:
        break;
    }
    return texts::ProtectionOverPower;
}

std::string formatLevel(ProtectionKind kind, double value) {
    switch (kind) {
    case ProtectionKind::OverVoltage:
        return SetpointRules::formatVolts(value) + "V";
    case ProtectionKind::OverCurrent:
        return SetpointRules::formatAmps(value) + "A";
    case ProtectionKind::OverPower:
        break;
    }
    return SetpointRules::formatVolts(value) + "W";
}

std::string tripMessage(const Trip& trip) {
    const bool off = trip.switchOff == DeviceResult::Ok;
    return printf2(off ? texts::LogProtectionTripped : texts::LogProtectionTrippedOffFailed,
                   protectionName(trip.kind), formatLevel(trip.kind, trip.level).c_str(),
                   formatLevel(trip.kind, trip.value).c_str(), resultText(trip.switchOff));
}

const char* resultText(DeviceResult result) {
    switch (result) {
    case DeviceResult::Ok:
        return "";
    case DeviceResult::OpenFailed:
        return texts::ResultOpenFailed;
    case DeviceResult::LinkError:
        return texts::ResultLinkError;
    case DeviceResult::BadReply:
        return texts::ResultBadReply;
    case DeviceResult::NotConnected:
        return texts::ResultNotConnected;
    }
    return texts::ResultLinkError;
}

std::string outputFailedMessage(bool on, DeviceResult result) {
    return printf2(on ? texts::LogOutputOnFailed : texts::LogOutputOffFailed, resultText(result),
                   "");
}

std::string offAgainMessage(bool latched, DeviceResult result) {
    if (result != DeviceResult::Ok)
        return outputFailedMessage(false, result);
    return latched ? texts::LogOutputOffAgainTripped.str() : texts::LogOutputOffAgain.str();
}

std::string levelRefusedMessage(ProtectionKind kind) {
    return printf2(texts::LogProtectionLevelRefused, protectionName(kind),
                   formatLevel(kind, Protections::maxLevel(kind)).c_str());
}

std::string clearedMessage(ProtectionKind kind) {
    return printf2(texts::LogProtectionCleared, protectionName(kind), "");
}

std::string unfinishedRunMessage(const UnfinishedRun& run) {
    if (run.off != DeviceResult::Ok)
        return texts::fill(texts::LogUnfinishedRunOffFailed, run.off == DeviceResult::BadReply
                                                                 ? texts::ResultBadReply.str()
                                                                 : texts::ResultLinkError.str());
    std::string since = "?";
    if (run.since > 0) {
        const platform::LocalTime t = platform::toLocalTime(run.since);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        since = buf;
    }
    return texts::fill(run.earlierProgram ? texts::LogUnfinishedRunOutputOff
                                          : texts::LogLostRunOutputOff,
                       run.what, since);
}

std::string formatDuration(double seconds) {
    const long long whole = seconds > 0 ? static_cast<long long>(seconds) : 0;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return buf;
}

} // namespace session
