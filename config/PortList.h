#pragma once

#include <string>
#include <vector>

// The ports the settings dialog offers: "com1" to "com32", then the serial devices present,
// then the saved port when it is none of these, so that confirming the dialog keeps a
// setting the list would otherwise not show.
namespace PortList {

constexpr int ComPortCount = 32;

// Full paths of the USB serial devices in the folder (ttyACM*, then ttyUSB*, each in the
// order of their numbers).
std::vector<std::string> serialDevicesPresent(const std::string& devDir = "/dev");

// A stable name of a USB serial device (a link in /dev/serial/by-id, which stays the same
// whichever node the device gets), with a label a person reads: the device's own name and
// the node the link points to, "Quorel Bench PSU 0042 (ttyACM0)".
struct NamedDevice {
    std::string path;
    std::string label;
};
std::vector<NamedDevice> serialDevicesById(const std::string& byIdDir = "/dev/serial/by-id");

// The readable part of a by-id link's name: "usb-Quorel_Bench_PSU_0042-if00" gives
// "Quorel Bench PSU 0042" (the bus, the interface number and the underscores go).
std::string readableDeviceName(const std::string& linkName);

// Where the settings dialog looks for devices; a test puts folders of its own here.
struct DeviceFolders {
    std::string dev = "/dev";
    std::string byId = "/dev/serial/by-id";
};
DeviceFolders& deviceFolders();

// The items of the port list.
std::vector<std::string> choices(const std::string& savedPort,
                                 const std::vector<std::string>& devices);

// The item that shows the saved port: "comN" in any case, N from 1 to 32 written in digits,
// is item N - 1; any other name is the item that equals it. -1 when no item shows it.
int selectionFor(const std::string& savedPort, const std::vector<std::string>& items);

// The item that SCAN selects for "comN".
std::string comName(int n);

} // namespace PortList
