#pragma once

#include "session/Protections.h"
#include "session/SessionObserver.h"

#include <string>

// The system-log lines of the session's own events, shared by the panel and quorelctl.
namespace session {

// The connect line with the port and the firmware version, each taken whole.
std::string connectedMessage(const std::string& port, const std::string& version);
// "過電圧保護" and its kin.
const char* protectionName(ProtectionKind kind);
// The protection, its level and the measured value that tripped it; and the device's answer
// when it did not confirm the switch-off.
std::string tripMessage(const Trip& trip);
// What a device operation's result means, in the system's words ("" for Ok).
const char* resultText(DeviceResult result);
// A switch of the output the device did not confirm, with its answer.
std::string outputFailedMessage(bool on, DeviceResult result);
// What a switch-off the session sent again at a poll came to (SessionObserver's
// onOutputSwitchedOffAgain).
std::string offAgainMessage(bool latched, DeviceResult result);
// The range a level must lie in, for the refusal of one outside it.
std::string levelRefusedMessage(ProtectionKind kind);
std::string clearedMessage(ProtectionKind kind);
// A level in its unit as the panel formats it ("5.00V", "0.500A", "3.00W").
std::string formatLevel(ProtectionKind kind, double value);

// Why a connect switched the output off (or could not): the run that had left it on.
std::string unfinishedRunMessage(const UnfinishedRun& run);

// Seconds as "H:MM:SS" (hours as many as there are).
std::string formatDuration(double seconds);

} // namespace session
