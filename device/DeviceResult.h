#pragma once

// Result of every device and boot-loader operation.
enum class DeviceResult : int {
    Ok = 0,
    OpenFailed = 1,   // the port could not be opened (connect only)
    LinkError = 2,    // a command could not be sent completely, a write or read failed
    BadReply = 3,     // wrong length or text, nothing came, or the wrong identification
    NotConnected = 4, // no link is open; nothing was sent
};
