#pragma once

#include <cstdint>
#include <string>

#include "session/Protections.h"

namespace session {
class MeasurementSession;
}

// What the session holds as one JSON object, in the field names of `quorelctl status --json`
// (time, source, powerCapacity, output, mode, state, voltage, current, the set-points) with
// power, the counters and the protections beside them: the HTTP API's status and the MQTT
// state alike. Made from the last poll, never an exchange with the device.
namespace http {

std::string statusJson(const session::MeasurementSession& session);

// "ovp", "ocp", "opp": the protection's word in the JSON texts.
const char* protectionWord(session::ProtectionKind kind);

// "2026-12-07T20:08:58+09:00": the calendar time with the local offset.
std::string rfc3339(std::int64_t seconds);

} // namespace http
