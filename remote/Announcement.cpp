#include "remote/Announcer.h"

#include <cctype>

namespace remote {

namespace {
// A DNS label holds 63 bytes; a name cut there must not end inside a UTF-8 sequence.
std::string label(std::string text) {
    constexpr std::size_t Max = 63;
    if (text.size() <= Max)
        return text;
    std::size_t end = Max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

std::string orUnknown(const std::string& text) {
    return text.empty() ? "0" : text;
}
} // namespace

std::string Announcement::instanceName() const {
    std::string name = "Quorel";
    // The maker's name once, even where the device gives it as its model.
    std::string lower = model;
    for (char& ch : lower)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (!model.empty() && lower != "quorel")
        name += " " + model;
    if (!serial.empty())
        name += " " + serial;
    return label(name);
}

std::vector<std::string> Announcement::txtRecord() const {
    return {"txtvers=1", "Manufacturer=Quorel", "Model=" + orUnknown(model),
            "SerialNumber=" + orUnknown(serial), "FirmwareVersion=" + orUnknown(firmware)};
}

} // namespace remote
