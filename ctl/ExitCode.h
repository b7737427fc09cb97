#pragma once

#include "device/DeviceResult.h"

// What quorelctl tells the shell. Every device result has a code of its own (10 plus the
// result), so a script can tell a missing port from a silent device; rejections, an output
// that did not follow and file troubles each have theirs.
namespace ctl {

enum ExitCode : int {
    Success = 0,
    NotFound = 1, // scan: no supply answers on com1 to com32
    Usage = 2,    // unknown command or option, missing or malformed value

    DeviceOpenFailed = 11,
    DeviceLinkError = 12,
    DeviceBadReply = 13,
    DeviceNotConnected = 14,

    VoltageRejected = 21,   // set: above 20 V; nothing sent
    CurrentRejected = 22,   // set: above 1 A; nothing sent
    PowerRejected = 23,     // set: above the present source's capacity; nothing sent
    OutputNotFollowed = 24, // on/off: the status read back shows the other state;
                            // run, charge, monitor, serve: the device did not confirm the
                            // switch-off at the end after 5 s of tries (the output may be ON)
    ProtectionTripped = 25, // monitor, run, charge: a protection switched the output off
    SequenceRefused = 26,   // run, charge: refused before the start (nothing sent), or after a
                            // change of source (output off)
    SequenceAborted = 27,   // run, charge: ended by SIGINT or SIGTERM, output switched off

    FileCannotOpen = 31,       // the CSV log, the HEX file or the step file cannot be opened
    FileMalformed = 32,        // the HEX or step file is malformed (or programs nothing); device
                               // not contacted
    FileWriteFailed = 33,      // a CSV line could not be written; the log ended
    StandardOutputFailed = 34, // the standard output could not be written (a full disk, a
                               // closed pipe); a run or charge ended with the output off

    ListenFailed = 41, // serve: the address cannot be listened on (taken, not this machine's)
    MqttFailed = 42,   // serve: MQTT cannot start (TLS files), or --mqtt-remove was not
                       // acknowledged by the broker in time
};

// 0 for Ok, 10 plus the result otherwise.
int exitCodeFor(DeviceResult result);
// What the result means, in the system's words.
const char* resultText(DeviceResult result);

} // namespace ctl
