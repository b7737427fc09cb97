#include "device/PortAccess.h"

#include "resources/TextFormat.h"
#include "resources/Texts.h"

std::string portAccessMessage(const std::string& portName, const SerialPort::OpenFailure& failure) {
    using Kind = SerialPort::OpenFailure::Kind;
    // "com1" names the device it stands for, which is the one to look at.
    std::string port = portName;
    if (!failure.path.empty() && failure.path != portName)
        port += " (" + failure.path + ")";
    switch (failure.kind) {
    case Kind::NoPermission:
        // Joining "root" or a group without access to the device would not help.
        if (failure.groupMayUse && !failure.group.empty() && failure.group != "root")
            return texts::fill(texts::LogPortNeedsGroup, port, failure.group, failure.group);
        return texts::fill(texts::LogPortNoPermission, port);
    case Kind::InUse:
        return texts::fill(texts::LogPortInUse, port);
    case Kind::None:
    case Kind::Missing:
    case Kind::Other:
        break;
    }
    return {};
}
