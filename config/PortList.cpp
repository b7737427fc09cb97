#include "config/PortList.h"

#include "device/SerialPort.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>

namespace PortList {

namespace {

// The N of "comN" when the name is one of the list's first 32 items in another spelling
// ("COM7", "com07"), else 0.
int comNumber(const std::string& name) {
    const int n = SerialPort::comNumber(name);
    return n <= ComPortCount ? n : 0;
}

} // namespace

std::string comName(int n) {
    return "com" + std::to_string(n);
}

std::vector<std::string> serialDevicesPresent(const std::string& devDir) {
    std::vector<std::pair<std::pair<int, long>, std::string>> found;
    const std::pair<const char*, int> families[] = {{"ttyACM", 0}, {"ttyUSB", 1}};
    std::error_code ec;
    for (std::filesystem::directory_iterator it(devDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        for (const auto& [prefix, rank] : families) {
            std::string p = prefix;
            if (name.size() <= p.size() || name.compare(0, p.size(), p) != 0 ||
                name.size() - p.size() > 6)
                continue;
            std::string digits = name.substr(p.size());
            if (!std::all_of(digits.begin(), digits.end(),
                             [](unsigned char c) { return std::isdigit(c); }))
                continue;
            found.push_back({{rank, std::stol(digits)}, it->path().string()});
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> out;
    for (auto& f : found)
        out.push_back(std::move(f.second));
    return out;
}

DeviceFolders& deviceFolders() {
    static DeviceFolders folders;
    return folders;
}

std::string readableDeviceName(const std::string& linkName) {
    std::string name = linkName;
    for (const char* bus : {"usb-", "pci-", "platform-"})
        if (name.rfind(bus, 0) == 0) {
            name.erase(0, std::string(bus).size());
            break;
        }
    // "-if00", "-port0": which interface or port of the device.
    for (const char* part : {"-port", "-if"}) {
        const auto at = name.rfind(part);
        if (at != std::string::npos && at > 0 && at + std::string(part).size() < name.size() &&
            std::all_of(name.begin() + static_cast<long>(at + std::string(part).size()), name.end(),
                        [](unsigned char c) { return std::isdigit(c); })) {
            name.erase(at);
        }
    }
    std::replace(name.begin(), name.end(), '_', ' ');
    return name.empty() ? linkName : name;
}

std::vector<NamedDevice> serialDevicesById(const std::string& byIdDir) {
    std::vector<NamedDevice> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(byIdDir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::filesystem::path link = it->path();
        std::error_code linkError;
        const std::filesystem::path target = std::filesystem::read_symlink(link, linkError);
        std::string label = readableDeviceName(link.filename().string());
        if (!linkError)
            label += " (" + target.filename().string() + ")";
        found.push_back({link.string(), label});
    }
    std::sort(found.begin(), found.end(),
              [](const NamedDevice& a, const NamedDevice& b) { return a.path < b.path; });
    return found;
}

std::vector<std::string> choices(const std::string& savedPort,
                                 const std::vector<std::string>& devices) {
    std::vector<std::string> items;
    for (int n = 1; n <= ComPortCount; ++n)
        items.push_back(comName(n));
    for (const auto& d : devices)
        if (std::find(items.begin(), items.end(), d) == items.end())
            items.push_back(d);
    if (!savedPort.empty() && selectionFor(savedPort, items) < 0)
        items.push_back(savedPort);
    return items;
}

int selectionFor(const std::string& savedPort, const std::vector<std::string>& items) {
    if (int n = comNumber(savedPort); n > 0 && static_cast<int>(items.size()) >= n)
        return n - 1;
    auto it = std::find(items.begin(), items.end(), savedPort);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

} // namespace PortList
