#include "session/Protections.h"

#include "session/SetpointRules.h"

#include <cmath>

namespace session {

double Protections::maxLevel(ProtectionKind kind) {
    switch (kind) {
    case ProtectionKind::OverVoltage:
        return SetpointRules::MaxVolts;
    case ProtectionKind::OverCurrent:
        return SetpointRules::MaxAmps;
    case ProtectionKind::OverPower:
        break;
    }
    return SetpointRules::powerCapacity(PowerSource::AcAdapter);
}

Protections::Protections() {
    for (int k = 0; k < ProtectionKinds; ++k)
        settings_[k].level = maxLevel(static_cast<ProtectionKind>(k));
}

double Protections::levelOnGrid(ProtectionKind kind, double level) {
    // The display's grid: 0.01 V, 0.001 A, 0.001 W. A level the page shows as 4.19 is held
    // as 4.19, never as 4.1999 that trips on a reading shown as 4.19; the small tolerance keeps
    // 4.19, whose binary form lies just below, on its own step.
    const double perUnit = kind == ProtectionKind::OverVoltage ? 100.0 : 1000.0;
    return std::floor(level * perUnit + 1e-6) / perUnit;
}

LevelResult Protections::setLevel(ProtectionKind kind, double level) {
    // NaN fails both comparisons and is refused with the rest; so is a level that is 0 on
    // the grid, as 0 is.
    if (!(level > 0.0 && level <= maxLevel(kind)))
        return LevelResult::OutOfRange;
    const double onGrid = levelOnGrid(kind, level);
    if (!(onGrid > 0.0))
        return LevelResult::OutOfRange;
    settings_[index(kind)].level = onGrid;
    return LevelResult::Ok;
}

LevelResult Protections::setDelay(double seconds) {
    if (!(seconds >= 0.0 && seconds <= MaxDelaySeconds))
        return LevelResult::OutOfRange;
    settings_[index(ProtectionKind::OverCurrent)].delaySeconds = seconds;
    return LevelResult::Ok;
}

void Protections::setEnabled(ProtectionKind kind, bool on) {
    settings_[index(kind)].enabled = on;
    if (kind == ProtectionKind::OverCurrent)
        overCurrentSinceMs_.reset();
}

std::vector<Trip> Protections::check(const Reading& r) {
    std::vector<Trip> trips;
    auto test = [&](ProtectionKind kind, double value, bool due) {
        const ProtectionSetting& s = settings_[index(kind)];
        if (!s.enabled || latched_[index(kind)] || !(value > s.level) || !due)
            return;
        latched_[index(kind)] = Trip{kind, s.level, value, r.time};
        trips.push_back(*latched_[index(kind)]);
    };
    test(ProtectionKind::OverVoltage, r.volts, true);

    const ProtectionSetting& oc = settings_[index(ProtectionKind::OverCurrent)];
    bool currentDue = false;
    if (oc.enabled && r.amps > oc.level) {
        if (!overCurrentSinceMs_)
            overCurrentSinceMs_ = r.monotonicMs;
        currentDue = r.monotonicMs - *overCurrentSinceMs_ >= std::llround(oc.delaySeconds * 1000);
    } else {
        overCurrentSinceMs_.reset();
    }
    test(ProtectionKind::OverCurrent, r.amps, currentDue);
    test(ProtectionKind::OverPower, r.watts, true);
    return trips;
}

bool Protections::tripped() const {
    for (const auto& t : latched_)
        if (t)
            return true;
    return false;
}

void Protections::clear(ProtectionKind kind) {
    latched_[index(kind)].reset();
    if (kind == ProtectionKind::OverCurrent)
        overCurrentSinceMs_.reset();
}

void Protections::clearAll() {
    for (int k = 0; k < ProtectionKinds; ++k)
        clear(static_cast<ProtectionKind>(k));
}

} // namespace session
