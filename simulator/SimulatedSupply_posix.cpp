#include "simulator/SimulatedSupply.h"

#include "device/SupplyDevice.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <random>
#include <termios.h>
#include <unistd.h>

namespace sim {

struct SimulatedSupply::State {
    Mode mode = Mode::MainFirmware;
    // electrical model
    double loadOhms = 50.0;
    char source = 'A';
    std::string version = "1.02";
    double vset = 5.0;
    double iset = 0.5;
    bool output = false;
    bool noise = false;
    std::optional<CellModel> cell;
    double cellChargedAs = 0.0;
    std::int64_t cellUs = 0; // when the cell was last brought up to date
    double timeScale = 1.0;
    // faults
    bool silent = false;
    int syncIgnored = 0;
    int replyDelayMs = 0;
    bool split = false;
    int splitGapMs = 15;
    std::string junkBefore;
    std::string junkAfter;
    std::string refused;
    int eraseDelayMs = 0;
    std::function<std::optional<std::string>(const std::string&)> override;
    SimulatedSupply::ReplyFilter filter;
    char unplugOn = 0;
    bool unplugMidReply = false;
    // protocol
    std::string pending; // a command still collecting its digits
    std::int64_t pendingSinceUs = 0;
    std::vector<ReceivedByte> received; // at most MaxKeptBytes, the newest
    // boot-loader flash
    std::vector<std::uint8_t> flash = std::vector<std::uint8_t>(ImageSize, 0xFF);
    bool erased = false;
    int blocks = 0;
    std::mt19937 rng{7};
};

namespace {

std::int64_t nowUs() {
    return platform::monotonicMs() * 1000;
}

std::int64_t preciseUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// The cell's open-circuit voltage and the current the supply drives into it.
double openCircuitVolts(const CellModel& c) {
    return c.cells * (c.emptyVolts + (c.fullVolts - c.emptyVolts) * std::min(c.stateOfCharge, 1.0));
}

double cellAmps(const CellModel& c, double vset, double iset) {
    return std::clamp((vset - openCircuitVolts(c)) / c.internalOhms, 0.0, iset);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// How many bytes follow the command letter before the device acts on it.
int argumentLength(Mode mode, char letter) {
    if (mode == Mode::MainFirmware && letter == 'S')
        return 6;
    if (mode == Mode::BootLoader && letter == 'W')
        return 16;
    return 0;
}

} // namespace

SimulatedSupply::SimulatedSupply() : state_(std::make_unique<State>()) {}

SimulatedSupply::~SimulatedSupply() {
    unplug();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!linkPath_.empty())
        ::unlink(linkPath_.c_str());
}

void SimulatedSupply::advanceCell() const {
    State& s = *state_;
    const std::int64_t now = preciseUs();
    double dt = (now - s.cellUs) * 1e-6 * s.timeScale;
    s.cellUs = now;
    if (!s.cell || !s.output || dt <= 0.0)
        return;
    CellModel& c = *s.cell;
    const double capacityAs = c.capacityMah * 3.6;
    // Slices short against the time constant of the constant-voltage tail, so that it decays
    // smoothly and never overshoots the set voltage.
    const double tau = c.internalOhms * capacityAs / (c.cells * (c.fullVolts - c.emptyVolts));
    const double slice = std::max(tau / 50.0, dt / 100000.0);
    while (dt > 0.0) {
        const double h = std::min(dt, slice);
        const double amps = cellAmps(c, s.vset, s.iset);
        c.stateOfCharge += amps * h / capacityAs;
        s.cellChargedAs += amps * h;
        dt -= h;
    }
}

bool SimulatedSupply::openPty() {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return false;
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    char* name = ttyname(slave);
    portPath_ = name ? name : "";
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    master_ = master;
    // Holding the slave open keeps the master from seeing a hang-up while the host has
    // the port closed; the host's exclusive lock is unaffected by it.
    slaveKeep_ = slave;
    return true;
}

void SimulatedSupply::closePty() {
    if (slaveKeep_ >= 0)
        ::close(slaveKeep_);
    if (master_ >= 0)
        ::close(master_);
    slaveKeep_ = -1;
    master_ = -1;
    portPath_.clear();
}

void SimulatedSupply::refreshLink() {
    if (linkPath_.empty())
        return;
    ::unlink(linkPath_.c_str());
    if (!portPath_.empty())
        ::symlink(portPath_.c_str(), linkPath_.c_str());
}

bool SimulatedSupply::start(Mode mode) {
    unplug();
    std::lock_guard<std::mutex> lock(mutex_);
    state_->mode = mode;
    state_->pending.clear();
    if (!openPty())
        return false;
    refreshLink();
    stop_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

std::string SimulatedSupply::portPath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return portPath_;
}

bool SimulatedSupply::linkAs(const std::string& linkPath) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!linkPath_.empty() && linkPath_ != linkPath)
        ::unlink(linkPath_.c_str());
    linkPath_ = linkPath;
    ::unlink(linkPath_.c_str());
    if (portPath_.empty())
        return true;
    return ::symlink(portPath_.c_str(), linkPath_.c_str()) == 0;
}

void SimulatedSupply::unplug() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    closePty();
    // The link stays, pointing nowhere, as a port name stays after its device is gone.
}

bool SimulatedSupply::replug(Mode mode) {
    return start(mode);
}

bool SimulatedSupply::plugged() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return master_ >= 0;
}

void SimulatedSupply::serve() {
    std::uint8_t buf[256];
    for (;;) {
        int fd;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_)
                return;
            fd = master_;
        }
        pollfd p{fd, POLLIN, 0};
        int r = ::poll(&p, 1, 5);
        if (r <= 0 || !(p.revents & POLLIN))
            continue;
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            continue;
        std::int64_t t = preciseUs();
        for (ssize_t i = 0; i < n; ++i) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                auto& kept = state_->received;
                // A simulator left running for days keeps its recent bytes only.
                if (kept.size() >= MaxKeptBytes)
                    kept.erase(kept.begin(), kept.begin() + MaxKeptBytes / 2);
                kept.push_back({buf[i], t});
            }
            handleByte(buf[i]);
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_)
                return;
        }
    }
}

std::string SimulatedSupply::statusText() const {
    std::lock_guard<std::mutex> lock(mutex_);
    advanceCell();
    const State& s = *state_;
    double v = 0.0;
    double i = 0.0;
    bool cc = false;
    if (s.output && s.cell) {
        const double ocv = openCircuitVolts(*s.cell);
        cc = (s.vset - ocv) / s.cell->internalOhms > s.iset;
        i = cellAmps(*s.cell, s.vset, s.iset);
        // Below the cell's own voltage nothing flows and the cell holds the terminals.
        v = cc ? ocv + i * s.cell->internalOhms : std::max(s.vset, ocv);
    } else if (s.output) {
        if (s.loadOhms <= 0.0) {
            v = s.vset;
        } else if (s.vset / s.loadOhms <= s.iset) {
            v = s.vset;
            i = v / s.loadOhms;
        } else {
            cc = true;
            i = s.iset;
            v = s.iset * s.loadOhms;
        }
    }
    auto units = [&](double value, double step) {
        long u = std::lround(value / step);
        if (s.noise && u > 0)
            u += static_cast<long>(state_->rng() % 3) - 1;
        return static_cast<unsigned>(std::clamp<long>(u, 0, 4095));
    };
    std::string text;
    text += s.source;
    text += s.output ? 'N' : 'F';
    text += cc ? 'C' : 'V';
    text += SupplyDevice::encodeUnits(units(v, 0.02));
    text += SupplyDevice::encodeUnits(units(i, 0.001));
    return text;
}

void SimulatedSupply::handleByte(std::uint8_t b) {
    std::string command;
    Mode mode;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        State& s = *state_;
        mode = s.mode;
        // A command whose digits stop coming is forgotten after half a second.
        if (!s.pending.empty() && nowUs() - s.pendingSinceUs > 500000)
            s.pending.clear();
        if (s.pending.empty()) {
            s.pending.push_back(static_cast<char>(b));
            s.pendingSinceUs = nowUs();
        } else {
            s.pending.push_back(static_cast<char>(b));
        }
        if (static_cast<int>(s.pending.size()) < 1 + argumentLength(mode, s.pending[0]))
            return;
        command.swap(s.pending);
    }

    const char letter = command[0];
    std::string answer;
    bool answers = true;
    bool refused = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        State& s = *state_;
        if (letter == 'X' && s.syncIgnored > 0) {
            --s.syncIgnored;
            return;
        }
        if (s.unplugOn == letter && !s.unplugMidReply) {
            stop_ = true;
            closePty();
            return;
        }
        if (s.silent)
            return;
        // A refused command changes nothing in the device.
        if (s.refused.find(letter) != std::string::npos) {
            answer = "NG";
            refused = true;
        }
    }
    if (refused) {
        reply(command, answer + "\r\n");
        return;
    }

    if (letter == 'X') {
        answer = "NG";
    } else if (letter == 'I') {
        answer = mode == Mode::MainFirmware ? "QUOREL" : "UPDATER";
    } else if (mode == Mode::MainFirmware) {
        std::lock_guard<std::mutex> lock(mutex_);
        State& s = *state_;
        advanceCell();
        switch (letter) {
        case 'V':
            answer = s.version;
            break;
        case 'M':
            answers = true;
            break;
        case 'L':
            answer = SupplyDevice::encodeUnits(static_cast<unsigned>(std::lround(s.vset / 0.02))) +
                     SupplyDevice::encodeUnits(static_cast<unsigned>(std::lround(s.iset / 0.001)));
            break;
        case 'S': {
            bool valid = true;
            for (size_t k = 1; k < 7; ++k)
                valid = valid && hexValue(command[k]) >= 0;
            if (valid) {
                s.vset = SupplyDevice::decodeUnits(command.c_str() + 1) * 0.02;
                s.iset = SupplyDevice::decodeUnits(command.c_str() + 4) * 0.001;
                answer = "OK";
            } else {
                answer = "NG";
            }
            break;
        }
        case 'N':
            s.output = true;
            answer = "OK";
            break;
        case 'F':
            s.output = false;
            answer = "OK";
            break;
        default:
            answer = "NG";
            break;
        }
    } else {
        int eraseDelay = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            eraseDelay = state_->eraseDelayMs;
        }
        if (letter == 'E' && eraseDelay > 0)
            platform::sleepMs(eraseDelay);
        std::lock_guard<std::mutex> lock(mutex_);
        State& s = *state_;
        switch (letter) {
        case 'E':
            std::fill(s.flash.begin(), s.flash.end(), 0xFF);
            s.erased = true;
            s.blocks = 0;
            answer = "OK";
            break;
        case 'W': {
            bool valid = s.erased;
            std::uint8_t block[8];
            for (int k = 0; k < 8 && valid; ++k) {
                int hi = hexValue(command[1 + 2 * k]);
                int lo = hexValue(command[2 + 2 * k]);
                valid = hi >= 0 && lo >= 0;
                block[k] = static_cast<std::uint8_t>(hi * 16 + lo);
            }
            int at = FirstBlockByte + s.blocks * 8;
            if (valid && at + 8 <= ImageSize) {
                std::copy(block, block + 8, s.flash.begin() + at);
                ++s.blocks;
                answer = "OK";
            } else {
                answer = "NG";
            }
            break;
        }
        case 'Q':
            s.mode = Mode::MainFirmware;
            answers = false;
            break;
        default:
            answer = "NG";
            break;
        }
    }
    if (!answers)
        return;
    if (letter == 'M' && mode == Mode::MainFirmware)
        answer = statusText();
    reply(command, answer + "\r\n");
}

void SimulatedSupply::reply(const std::string& command, std::string text) {
    int delay;
    bool split;
    int gap;
    bool midUnplug;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        State& s = *state_;
        if (s.override) {
            auto replaced = s.override(command);
            if (!replaced)
                return;
            text = *replaced;
        }
        if (s.filter) {
            auto replaced = s.filter(command, text);
            if (!replaced)
                return;
            text = *replaced;
        }
        text = s.junkBefore + text + s.junkAfter;
        delay = s.replyDelayMs;
        split = s.split;
        gap = s.splitGapMs;
        midUnplug = s.unplugOn == command[0] && s.unplugMidReply;
    }
    if (delay > 0)
        platform::sleepMs(delay);
    auto send = [this](const char* data, size_t size) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (master_ < 0)
            return;
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(master_, data + done, size - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p{master_, POLLOUT, 0};
                ::poll(&p, 1, 10);
            } else {
                return;
            }
        }
    };
    if (midUnplug) {
        send(text.data(), text.size() / 2);
        platform::sleepMs(20);
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        closePty();
        return;
    }
    if (split) {
        for (size_t k = 0; k < text.size(); ++k) {
            send(text.data() + k, 1);
            if (k + 1 < text.size())
                platform::sleepMs(gap);
        }
    } else {
        send(text.data(), text.size());
    }
}

// --- setters and getters ---

void SimulatedSupply::setLoadOhms(double ohms) {
    auto held = guard();
    state_->loadOhms = ohms;
}
void SimulatedSupply::setSourceLetter(char letter) {
    auto held = guard();
    state_->source = letter;
}
void SimulatedSupply::setVersion(const std::string& text) {
    auto held = guard();
    state_->version = text;
}
void SimulatedSupply::setSetpoint(double volts, double amps) {
    auto held = guard();
    advanceCell();
    state_->vset = volts;
    state_->iset = amps;
}
void SimulatedSupply::setOutput(bool on) {
    auto held = guard();
    advanceCell();
    state_->output = on;
}
void SimulatedSupply::setCell(const CellModel& cell) {
    auto held = guard();
    advanceCell();
    state_->cell = cell;
    state_->cellChargedAs = 0.0;
}
void SimulatedSupply::removeCell() {
    auto held = guard();
    state_->cell.reset();
}
std::optional<CellModel> SimulatedSupply::cell() const {
    auto held = guard();
    advanceCell();
    return state_->cell;
}
double SimulatedSupply::cellChargedMah() const {
    auto held = guard();
    advanceCell();
    return state_->cellChargedAs / 3.6;
}
void SimulatedSupply::setTimeScale(double factor) {
    auto held = guard();
    advanceCell();
    state_->timeScale = factor > 0.0 ? factor : 1.0;
}
void SimulatedSupply::setNoise(bool on) {
    auto held = guard();
    state_->noise = on;
}
double SimulatedSupply::voltageSetpoint() const {
    auto held = guard();
    return state_->vset;
}
double SimulatedSupply::currentSetpoint() const {
    auto held = guard();
    return state_->iset;
}
bool SimulatedSupply::outputOn() const {
    auto held = guard();
    return state_->output;
}
Mode SimulatedSupply::mode() const {
    auto held = guard();
    return state_->mode;
}
void SimulatedSupply::setSilent(bool on) {
    auto held = guard();
    state_->silent = on;
}
void SimulatedSupply::setSyncIgnored(int count) {
    auto held = guard();
    state_->syncIgnored = count;
}
void SimulatedSupply::setReplyDelayMs(int ms) {
    auto held = guard();
    state_->replyDelayMs = ms;
}
void SimulatedSupply::setSplitReplies(bool on, int gapMs) {
    auto held = guard();
    state_->split = on;
    state_->splitGapMs = gapMs;
}
void SimulatedSupply::setJunk(const std::string& before, const std::string& after) {
    auto held = guard();
    state_->junkBefore = before;
    state_->junkAfter = after;
}
void SimulatedSupply::setRefused(const std::string& commands) {
    auto held = guard();
    state_->refused = commands;
}
void SimulatedSupply::setEraseDelayMs(int ms) {
    auto held = guard();
    state_->eraseDelayMs = ms;
}
void SimulatedSupply::setReplyOverride(
    std::function<std::optional<std::string>(const std::string&)> f) {
    auto held = guard();
    state_->override = std::move(f);
}
void SimulatedSupply::setReplyFilter(ReplyFilter f) {
    auto held = guard();
    state_->filter = std::move(f);
}
void SimulatedSupply::setUnplugOn(char command, bool midReply) {
    auto held = guard();
    state_->unplugOn = command;
    state_->unplugMidReply = midReply;
}
std::vector<ReceivedByte> SimulatedSupply::received() const {
    auto held = guard();
    return state_->received;
}
std::string SimulatedSupply::receivedText() const {
    auto held = guard();
    std::string out;
    for (const auto& r : state_->received)
        out.push_back(static_cast<char>(r.byte));
    return out;
}
std::vector<ReceivedCommand> SimulatedSupply::receivedCommands(char letter) const {
    auto held = guard();
    const auto& r = state_->received;
    const std::size_t length = 1 + argumentLength(Mode::MainFirmware, letter);
    std::vector<ReceivedCommand> out;
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (r[i].byte != static_cast<std::uint8_t>(letter))
            continue;
        ReceivedCommand c{{}, r[i].usec};
        for (std::size_t k = i; k < r.size() && k < i + length; ++k)
            c.text.push_back(static_cast<char>(r[k].byte));
        out.push_back(c);
        i += length - 1;
    }
    return out;
}
void SimulatedSupply::clearReceived() {
    auto held = guard();
    state_->received.clear();
}
std::vector<std::uint8_t> SimulatedSupply::flash() const {
    auto held = guard();
    return state_->flash;
}
bool SimulatedSupply::erased() const {
    auto held = guard();
    return state_->erased;
}
int SimulatedSupply::blocksWritten() const {
    auto held = guard();
    return state_->blocks;
}

} // namespace sim
