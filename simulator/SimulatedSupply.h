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

// A command of the main firmware as it arrived: its bytes and the time of the first one.
struct ReceivedCommand {
    std::string text;
    std::int64_t usec;
};

// A battery on the output in place of the resistive load: its open-circuit voltage rises
// in a straight line with the state of charge, from `emptyVolts` to `fullVolts` per cell,
// behind an internal resistance. The supply pushes current into it only above that voltage,
// so constant current turns into constant voltage by itself as the cell fills.
struct CellModel {
    int cells = 1;
    double emptyVolts = 3.0; // per cell, at no charge
    double fullVolts = 4.2;  // per cell, at full charge
    double capacityMah = 1000.0;
    double internalOhms = 0.2;  // of the whole pack
    double stateOfCharge = 0.5; // 0..1; charge beyond full is taken and turned into heat
};

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
    // A charging cell on the output instead of the load, until removeCell().
    void setCell(const CellModel& cell);
    void removeCell();
    // The cell as it stands now (its state of charge brought up to date); nothing without one.
    std::optional<CellModel> cell() const;
    // Charge taken by the cell since setCell, in mAh.
    double cellChargedMah() const;
    // The cell's time runs this many times faster than the wall clock, so that a charge of
    // hours takes seconds in a test; 1 by default.
    void setTimeScale(double factor);
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

    // --- what it received and keeps: the newest bytes, far more than any test sends ---
    static constexpr std::size_t MaxKeptBytes = std::size_t{1} << 22;
    std::vector<ReceivedByte> received() const;
    std::string receivedText() const;
    // The commands that began with this letter ("S" with its six digits), in order.
    std::vector<ReceivedCommand> receivedCommands(char letter) const;
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
    // Brings the cell's charge up to now; with the lock held, before anything changes what
    // flows into it.
    void advanceCell() const;
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
