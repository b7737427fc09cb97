#include "ctl/Session.h"

#include "config/DisplaySettings.h"
#include "ctl/ExitCode.h"
#include "device/PortAccess.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "session/SessionMessages.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace ctl {

namespace {

// Loading the settings makes the executable's folder the current one, which the panel
// wants for its relative file names; a command's file operands are relative to where it
// was called from, so that folder comes back at once.
std::unique_ptr<Settings> loadSettingsKeepingDirectory() {
    std::error_code unknown;
    const std::filesystem::path cwd = std::filesystem::current_path(unknown);
    auto settings = std::make_unique<Settings>();
    if (!unknown) {
        // Paths are UTF-8 inside the program on every platform.
        const std::u8string utf8 = cwd.u8string();
        platform::changeCurrentDirectory(std::string(utf8.begin(), utf8.end()));
    }
    return settings;
}

class OffAgainReport : public session::SessionObserver {
public:
    explicit OffAgainReport(Session& s) : s_(s) {}
    void onOutputSwitchedOffAgain(bool latched, DeviceResult result) override {
        s_.say(session::offAgainMessage(latched, result));
    }

private:
    Session& s_;
};

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
      systemLog_(std::make_unique<SystemLog>(*settings_)),
      measurement_(std::make_unique<session::MeasurementSession>(*settings_)),
      offAgainReport_(std::make_unique<OffAgainReport>(*this)) {
    measurement_->addObserver(offAgainReport_.get());
    measurement_->addObserver(&connectReport_);
    port_ = line.value("port").value_or(settings_->comPort());
    // The language of the messages: --lang (checked with the command line), else [DISPLAY]
    // Language of the settings, else Japanese.
    std::vector<std::string> badKeys;
    const DisplaySettings display = DisplaySettings::load(settings_->ini(), badKeys);
    std::optional<texts::LanguageChoice> asked;
    if (auto lang = line.value("lang"))
        asked = texts::parseLanguageChoice(*lang);
    texts::useLanguage(display.languageToUse(asked));
    for (const std::string& key : badKeys)
        err << format(texts::LogDisplaySettingBad, key) << '\n' << std::flush;
}

Session::~Session() {
    measurement_.reset();
    SupplyDevice::disconnect();
}

void Session::ConnectReport::onUnfinishedRunSwitchedOff(const session::UnfinishedRun& run) {
    s_.say(session::unfinishedRunMessage(run));
}

void Session::log(const std::string& message) {
    systemLog_->append(message);
}

void Session::say(const std::string& message) {
    log(message);
    err << message << '\n' << std::flush;
}

int Session::startMeasurementLog(const std::string& path, bool append, int intervalSeconds) {
    if (measurement_->startMeasurementLog(path, append, intervalSeconds))
        return 0;
    say(texts::LogCsvOpenFailed.str());
    return FileCannotOpen;
}

int Session::checkLogPath(const std::string& path) {
    if (platform::linesMayGoTo(path))
        return 0;
    say(texts::LogCsvOpenFailed.str());
    return FileCannotOpen;
}

int Session::outputFailed() {
    say(texts::StandardOutputFailed.str());
    return StandardOutputFailed;
}

int Session::failed(const std::string& message, DeviceResult result) {
    if (message.empty())
        err << resultText(result) << '\n';
    else
        err << message << " (" << resultText(result) << ")\n";
    err << std::flush;
    return exitCodeFor(result);
}

int Session::finishSwitchOff(int code) {
    session::MeasurementSession& m = *measurement_;
    if (!m.switchOffOwed())
        return code;
    DeviceResult last = m.switchOffResult();
    const std::int64_t end = platform::monotonicMs() + OffRetryMs;
    for (;;) {
        const std::int64_t now = platform::monotonicMs();
        if (!m.switchOffOwed() || !m.connected() || now >= end)
            break;
        // Plain sleeps: a second signal must not end the tries early.
        platform::sleepMs(
            static_cast<int>(std::min<std::int64_t>(session::PollPeriodMs, end - now)));
        const DeviceResult r = m.poll();
        last = r != DeviceResult::Ok ? r : m.switchOffResult();
    }
    if (!m.switchOffOwed() && m.connected())
        return code;
    say(texts::fill(texts::OutputMayBeOn, session::resultText(last)));
    return OutputNotFollowed;
}

int Session::connect() {
    const DeviceResult r = measurement_->connect(port_);
    if (r == DeviceResult::Ok)
        return Success;
    const int code = failed(format(texts::LogConnectFailed, port_), r);
    // A port that is there but cannot be opened: its cause and remedy, as the panel logs.
    if (const std::string why = portAccessMessage(port_); !why.empty())
        err << why << '\n' << std::flush;
    return code;
}

} // namespace ctl
