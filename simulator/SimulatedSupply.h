#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sim {

// Which program the simulated device runs.
enum class Mode { MainFirmware, BootLoader };

// One byte the device received, with the monotonic time it arrived in microseconds.
struct ReceivedByte {
    std::uint8_t byte;
    std::int64_t usec;
};

// The stand-in power supply: answers on a pseudo-terminal as the device's main firmware or
// its boot-loader would, with an electrical model and faults on demand. It serves from a
// thread of its own; every setter may be called while it runs.
class SimulatedSupply {
public:
    // The boot-loader keeps the image from this byte on, block after block.
    static constexpr int ImageSize = 4096;
    static constexpr int FirstBlockByte = 0x400;

    SimulatedSupply();
    ~SimulatedSupply();
    SimulatedSupply(const SimulatedSupply&) = delete;
    SimulatedSupply& operator=(const SimulatedSupply&) = delete;

    // Plugs the device in: opens a new pseudo-terminal and starts answering on it.
    bool start(Mode mode = Mode::MainFirmware);
    // The device path the host opens (a /dev/pts/N), empty while unplugged.
    std::string portPath() const;
    // Keeps a symbolic link at `linkPath` pointing at the current port, across re-plugs.
    bool linkAs(const std::string& linkPath);

    // --- the electrical model ---
    void setLoadOhms(double ohms);     // <= 0 means no load (open circuit)
    void setSourceLetter(char letter); // 'U' USB host, 'A' adapter, anything else idle
    void setVersion(const std::string& text);
    void setSetpoint(double volts, double amps);
    void setOutput(bool on); // as if switched at the device
    void setNoise(bool on);  // +-1 step on the readings
    double voltageSetpoint() const;
    double currentSetpoint() const;
    bool outputOn() const;
    Mode mode() const;

    // --- faults ---
    void setSilent(bool on);                       // receives but never answers
    void setSyncIgnored(int count);                // the first `count` "X" get no answer
    void setReplyDelayMs(int ms);                  // every reply starts this late
    void setSplitReplies(bool on, int gapMs = 15); // replies one byte at a time
    void setJunk(const std::string& before, const std::string& after);
    void setRefused(const std::string& commands); // these command letters get "NG\r\n"
    void setEraseDelayMs(int ms);                 // the boot-loader's erase takes this long
    // Replaces every reply: gets the command, returns the bytes to send (nothing: silence).
    void setReplyOverride(std::function<std::optional<std::string>(const std::string&)> f);
    // Rewrites replies: gets the command and the reply the device would give (with its
    // CR LF), returns the bytes to send instead (nothing: silence).
    using ReplyFilter =
        std::function<std::optional<std::string>(const std::string&, const std::string&)>;
    void setReplyFilter(ReplyFilter f);
    // Unplugs when the given command letter arrives: before answering, or after half of
    // its reply when `midReply` is set. Zero turns it off.
    void setUnplugOn(char command, bool midReply = false);

    void unplug();
    bool replug(Mode mode);
    bool plugged() const;

    // --- what it received and keeps ---
    std::vector<ReceivedByte> received() const;
    std::string receivedText() const;
    void clearReceived();
    // The boot-loader's flash: 4096 bytes, 0xFF where nothing was written since the erase.
    std::vector<std::uint8_t> flash() const;
    bool erased() const;
    int blocksWritten() const;

    // The reply the main firmware gives to a status query right now, without the CR LF.
    std::string statusText() const;

private:
    struct State;
    void serve();
    void handleByte(std::uint8_t b);
    void reply(const std::string& command, std::string text);
    bool openPty();
    void closePty();
    void refreshLink();
    std::lock_guard<std::mutex> guard() const { return std::lock_guard<std::mutex>(mutex_); }

    mutable std::mutex mutex_;
    std::unique_ptr<State> state_;
    std::thread thread_;
    int master_ = -1;
    int slaveKeep_ = -1;
    std::string portPath_;
    std::string linkPath_;
    bool stop_ = false;
};

} // namespace sim
