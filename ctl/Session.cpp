#include "ctl/Session.h"

#include "ctl/ExitCode.h"
#include "panel/MainDialog.h"
#include "platform/Paths.h"
#include "resources/Texts.h"

#include <climits>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace ctl {

namespace {

// Loading the settings makes the executable's folder the current one, which the panel
// wants for its relative file names; a command's file operands are relative to where it
// was called from, so that folder comes back at once.
std::unique_ptr<Settings> loadSettingsKeepingDirectory() {
    std::vector<char> cwd(PATH_MAX + 1, '\0');
    const bool known = ::getcwd(cwd.data(), cwd.size()) != nullptr;
    auto settings = std::make_unique<Settings>();
    if (known)
        platform::changeCurrentDirectory(cwd.data());
    return settings;
}

} // namespace

std::string format(const char* pattern, const std::string& text) {
    const int n = std::snprintf(nullptr, 0, pattern, text.c_str());
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(s.data(), s.size(), pattern, text.c_str());
    s.pop_back();
    return s;
}

Session::Session(const CommandLine& commandLine, std::ostream& o, std::ostream& e)
    : out(o), err(e), line(commandLine), settings_(loadSettingsKeepingDirectory()),
      systemLog_(std::make_unique<SystemLog>(*settings_)) {
    port_ = line.value("port").value_or(settings_->comPort());
}

Session::~Session() {
    SupplyDevice::disconnect();
}

void Session::log(const std::string& message) {
    systemLog_->append(message);
}

int Session::failed(const std::string& message, DeviceResult result) {
    if (message.empty())
        err << resultText(result) << '\n';
    else
        err << message << " (" << resultText(result) << ")\n";
    err << std::flush;
    return exitCodeFor(result);
}

int Session::connect() {
    DeviceResult r = SupplyDevice::connect(port_);
    if (r == DeviceResult::Ok)
        r = SupplyDevice::readSetpoint(&voltageSetpoint, &currentSetpoint);
    if (r == DeviceResult::Ok)
        r = SupplyDevice::readStatus(status);
    if (r == DeviceResult::Ok)
        r = SupplyDevice::readVersion(version);
    if (r != DeviceResult::Ok) {
        SupplyDevice::disconnect();
        return failed(format(texts::LogConnectFailed, port_), r);
    }
    lastSource_ = status.source;
    return Success;
}

DeviceResult Session::poll() {
    DeviceResult r = SupplyDevice::readStatus(status);
    if (r != DeviceResult::Ok)
        return r;
    if (settings_->offsetAtt())
        status.current = status.current - status.voltage * MainDialog::DividerAmpsPerVolt;
    // On a change to the USB host the device's set-points are read again, as the window's
    // poll does, so that the readings carry what the device now holds.
    if (status.source != lastSource_) {
        if (status.source == PowerSource::UsbHost) {
            r = SupplyDevice::readSetpoint(&voltageSetpoint, &currentSetpoint);
            if (r != DeviceResult::Ok)
                return r;
        }
        lastSource_ = status.source;
    }
    return DeviceResult::Ok;
}

} // namespace ctl
