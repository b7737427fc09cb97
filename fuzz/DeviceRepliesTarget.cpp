// The device's replies replaced by arbitrary bytes, through SupplyDevice or BootLoader,
// over a real pseudo-terminal to the simulated supply.
//
// Input layout: byte 0 picks the program (bit 0: 0 main firmware, 1 boot-loader), how many
// operations follow the connect (bits 1-3) and which one comes first (bits 4-7). Then come
// the replies, each as a length byte and that many bytes (0xFF: no reply at all). The device
// gives them, in order, to the commands it receives, the synchronisation bytes of the
// connect included; once they are used up it answers as itself. At most MaxReplies are
// taken, which bounds an input to a few seconds: a reply without its line end costs the
// host five reads of about 100 ms.
//
// Checked on every input: the connect ends in Ok, BadReply or LinkError and leaves a link
// exactly on Ok; every operation on a link gives Ok, LinkError or BadReply and keeps the
// link; a record or text is written only on Ok and then holds values within the wire's
// ranges; every operation returns within its bounded time; without a link nothing is sent.
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "device/SupplyDevice.h"
#include "firmware/BootLoader.h"
#include "platform/Clock.h"
#include "simulator/SimulatedSupply.h"

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* Target = "DeviceReplies";
constexpr std::size_t MaxReplies = 6;
constexpr std::uint8_t Silence = 0xFF;
// Generous bounds on the waits (ten synchronisation attempts of about 130 ms and a reply of
// five 100 ms reads; one command's reply wait), leaving room for a loaded machine.
constexpr std::int64_t ConnectBoundMs = 6000;
constexpr std::int64_t CommandBoundMs = 3000;

// One simulated device per program, plugged in once per process and used by every input.
sim::SimulatedSupply& device(sim::Mode mode) {
    static sim::SimulatedSupply supply;
    static sim::SimulatedSupply bootLoader;
    static const bool started = [] {
        if (!supply.start(sim::Mode::MainFirmware) || !bootLoader.start(sim::Mode::BootLoader))
            fuzzsupport::fail(Target, "cannot start the simulated device");
        return true;
    }();
    (void)started;
    return mode == sim::Mode::MainFirmware ? supply : bootLoader;
}

// Replies of an earlier input still queued at the host's end would make this one's outcome
// depend on the order of inputs.
void discardQueuedReplies(const std::string& portPath) {
    int fd = ::open(portPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fuzzsupport::fail(Target, "cannot open " + portPath);
    ::tcflush(fd, TCIOFLUSH);
    ::close(fd);
}

struct Script {
    bool bootLoader = false;
    int operations = 0;
    int first = 0;
    std::vector<std::optional<std::string>> replies;
};

Script scriptOf(const std::uint8_t* data, std::size_t size) {
    Script s;
    if (size == 0)
        return s;
    s.bootLoader = data[0] & 1;
    s.operations = (data[0] >> 1) & 7;
    s.first = data[0] >> 4;
    std::size_t pos = 1;
    while (pos < size && s.replies.size() < MaxReplies) {
        std::uint8_t length = data[pos++];
        if (length == Silence) {
            s.replies.push_back(std::nullopt);
            continue;
        }
        std::size_t n = std::min<std::size_t>(length, size - pos);
        s.replies.push_back(std::string(reinterpret_cast<const char*>(data) + pos, n));
        pos += n;
    }
    return s;
}

// Hands the scripted replies out one per command, then lets the device answer as itself.
sim::SimulatedSupply::ReplyFilter replyFilter(const Script& script) {
    auto replies = std::make_shared<std::vector<std::optional<std::string>>>(script.replies);
    auto next = std::make_shared<std::size_t>(0);
    return
        [replies, next](const std::string&, const std::string& own) -> std::optional<std::string> {
            if (*next >= replies->size())
                return own;
            return (*replies)[(*next)++];
        };
}

bool linkResult(DeviceResult r) {
    return r == DeviceResult::Ok || r == DeviceResult::LinkError || r == DeviceResult::BadReply;
}

std::string resultText(DeviceResult r) {
    return "result " + std::to_string(static_cast<int>(r));
}

// Runs one operation and checks what every operation on an open link must keep.
template <typename Op> DeviceResult timed(const char* name, bool (*connected)(), Op op) {
    const std::int64_t t0 = platform::monotonicMs();
    DeviceResult r = op();
    const std::int64_t ms = platform::monotonicMs() - t0;
    FUZZ_CHECK(Target, linkResult(r), std::string(name) + " " + resultText(r));
    FUZZ_CHECK(Target, connected(), std::string(name) + " closed the link");
    FUZZ_CHECK(Target, ms <= CommandBoundMs, std::string(name) + " took " + std::to_string(ms));
    return r;
}

void supplyOperation(int which) {
    switch (which % 6) {
    case 0: {
        double volts = -1.0;
        double amps = -1.0;
        DeviceResult r = timed("readSetpoint", SupplyDevice::isConnected,
                               [&] { return SupplyDevice::readSetpoint(&volts, &amps); });
        if (r == DeviceResult::Ok)
            FUZZ_CHECK(Target,
                       volts >= 0.0 && volts <= 4095 * 0.02 + 1e-9 && amps >= 0.0 &&
                           amps <= 4.095 + 1e-9,
                       "set-point out of the wire's range");
        else
            FUZZ_CHECK(Target, volts == -1.0 && amps == -1.0, "set-point written on failure");
        break;
    }
    case 1:
    case 5: {
        DeviceStatus status;
        status.outputOn = 9;
        status.voltage = -1.0;
        DeviceResult r = timed("readStatus", SupplyDevice::isConnected,
                               [&] { return SupplyDevice::readStatus(status); });
        if (r == DeviceResult::Ok) {
            auto source = static_cast<int>(status.source);
            FUZZ_CHECK(Target, source >= 0 && source <= 2, "source " + std::to_string(source));
            FUZZ_CHECK(Target, status.outputOn == 0 || status.outputOn == 1, "output flag");
            FUZZ_CHECK(Target, status.constantCurrent == 0 || status.constantCurrent == 1,
                       "mode flag");
            FUZZ_CHECK(Target,
                       status.voltage >= 0.0 && status.voltage <= 81.9 + 1e-9 &&
                           status.current >= 0.0 && status.current <= 4.095 + 1e-9,
                       "reading out of the wire's range");
        } else {
            FUZZ_CHECK(Target, status.outputOn == 9 && status.voltage == -1.0,
                       "status written on failure");
        }
        break;
    }
    case 2: {
        std::string version = "unchanged";
        DeviceResult r = timed("readVersion", SupplyDevice::isConnected,
                               [&] { return SupplyDevice::readVersion(version); });
        // The device's text arrives escaped: each of at most 252 bytes becomes at most four
        // printable ones ("\xHH"), and no control byte is left.
        if (r == DeviceResult::Ok)
            FUZZ_CHECK(Target,
                       !version.empty() && version.size() <= 4 * 252 &&
                           std::none_of(version.begin(), version.end(),
                                        [](char c) {
                                            const auto u = static_cast<unsigned char>(c);
                                            return u < 0x20 || u >= 0x7F;
                                        }),
                       "version of " + std::to_string(version.size()) + " bytes");
        else
            FUZZ_CHECK(Target, version == "unchanged", "version written on failure");
        break;
    }
    case 3:
        timed("setOutput", SupplyDevice::isConnected,
              [] { return SupplyDevice::setOutput(4.1, 0.25); });
        break;
    case 4:
        timed("outputOn", SupplyDevice::isConnected, [] { return SupplyDevice::outputOn(); });
        timed("outputOff", SupplyDevice::isConnected, [] { return SupplyDevice::outputOff(); });
        break;
    }
}

void bootLoaderOperation(int which) {
    static const std::uint8_t blank[8] = {0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF};
    static const std::uint8_t code[8] = {0x01, 0x8A, 0x28, 0x00, 0x00, 0x08, 0x3F, 0xFF};
    switch (which % 3) {
    case 0:
        timed("eraseFlash", BootLoader::isConnected, [] { return BootLoader::eraseFlash(); });
        break;
    case 1:
        timed("writeBlock", BootLoader::isConnected, [] { return BootLoader::writeBlock(code); });
        break;
    case 2:
        timed("writeBlock", BootLoader::isConnected, [] { return BootLoader::writeBlock(blank); });
        break;
    }
}

} // namespace

int fuzzDeviceReplies(const std::uint8_t* data, std::size_t size) {
    const Script script = scriptOf(data, size);
    sim::SimulatedSupply& sim =
        device(script.bootLoader ? sim::Mode::BootLoader : sim::Mode::MainFirmware);
    const std::string port = sim.portPath();
    discardQueuedReplies(port);
    sim.clearReceived();
    sim.setReplyFilter(replyFilter(script));

    auto connect = script.bootLoader ? BootLoader::connect : SupplyDevice::connect;
    auto connected = script.bootLoader ? BootLoader::isConnected : SupplyDevice::isConnected;
    auto disconnect = script.bootLoader ? BootLoader::disconnect : SupplyDevice::disconnect;

    const std::int64_t t0 = platform::monotonicMs();
    DeviceResult r = connect(port);
    const std::int64_t ms = platform::monotonicMs() - t0;
    FUZZ_CHECK(Target, linkResult(r), "connect " + resultText(r));
    FUZZ_CHECK(Target, connected() == (r == DeviceResult::Ok), "link left after " + resultText(r));
    FUZZ_CHECK(Target, ms <= ConnectBoundMs, "connect took " + std::to_string(ms) + " ms");

    if (r == DeviceResult::Ok) {
        for (int i = 0; i < script.operations; ++i) {
            if (script.bootLoader)
                bootLoaderOperation(script.first + i);
            else
                supplyOperation(script.first + i);
        }
        disconnect();
    } else {
        // Without a link nothing goes out.
        sim.clearReceived();
        DeviceResult none = script.bootLoader ? BootLoader::eraseFlash() : SupplyDevice::outputOn();
        FUZZ_CHECK(Target, none == DeviceResult::NotConnected, "command without a link");
        platform::sleepMs(1);
        FUZZ_CHECK(Target, sim.receivedText().empty(), "bytes sent without a link");
    }
    FUZZ_CHECK(Target, !connected(), "disconnect left the link open");
    sim.setReplyFilter(nullptr);
    return 0;
}
