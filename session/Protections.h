#pragma once

#include "session/Reading.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace session {

enum class ProtectionKind : int { OverVoltage = 0, OverCurrent = 1, OverPower = 2 };
constexpr int ProtectionKinds = 3;

// A protection that fired: which, at what level, on what measured value, when.
struct Trip {
    ProtectionKind kind = ProtectionKind::OverVoltage;
    double level = 0.0;
    double value = 0.0;
    platform::Seconds time = 0;
};

// One protection as the operator sets it.
struct ProtectionSetting {
    bool enabled = false;
    double level = 0.0;
    double delaySeconds = 0.0; // over-current only: how long the current must stay over
};

enum class LevelResult { Ok, OutOfRange };

// Software limits checked on every poll against the measured values. A trip latches: it
// stays until cleared, and while any is latched the output may not be switched on.
class Protections {
public:
    // The device's range of each quantity: a level must lie above 0 and at most this.
    static double maxLevel(ProtectionKind kind);
    // The over-current delay's range, 0 up to this, wherever it is set.
    static constexpr double MaxDelaySeconds = 3600.0;
    // A level brought to the display's grid, at or below the value given.
    static double levelOnGrid(ProtectionKind kind, double level);

    // Every protection off, its level at the top of the device's range.
    Protections();

    const ProtectionSetting& setting(ProtectionKind kind) const { return settings_[index(kind)]; }
    LevelResult setLevel(ProtectionKind kind, double level);
    LevelResult setDelay(double seconds);
    void setEnabled(ProtectionKind kind, bool on);

    // The trips this reading causes (at most one per protection that is enabled and not
    // latched yet).
    std::vector<Trip> check(const Reading& r);
    // The current must be over its level in consecutive readings for the delay to count.
    void gap() { overCurrentSinceMs_.reset(); }

    bool tripped() const;
    bool tripped(ProtectionKind kind) const { return latched_[index(kind)].has_value(); }
    const std::optional<Trip>& trip(ProtectionKind kind) const { return latched_[index(kind)]; }
    void clear(ProtectionKind kind);
    void clearAll();

private:
    static int index(ProtectionKind kind) { return static_cast<int>(kind); }

    std::array<ProtectionSetting, ProtectionKinds> settings_{};
    std::array<std::optional<Trip>, ProtectionKinds> latched_{};
    std::optional<std::int64_t> overCurrentSinceMs_;
};

} // namespace session
