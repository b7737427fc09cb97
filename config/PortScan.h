#pragma once

#include <optional>
#include <string>

// The port scan of the settings dialog, apart from the window: tries "com1" to "com32" in
// order with the device link and stops at the first port where the supply answers, closing
// the link again. Nothing is tried while the link is held (by the main window or anyone
// else), since a scan must not take over or close a connection in use.
namespace PortScan {

// The port name ("comN") of the first supply found; nothing when none answers or the link
// is held.
std::optional<std::string> scanForSupply();

} // namespace PortScan
