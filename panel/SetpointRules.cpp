#include "panel/SetpointRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace SetpointRules {

namespace {

// A value that was pasted with a sign, or that is not a number at all, must never reach
// the device; it is refused as lying outside the allowed range.
bool withinLimit(double value, double limit) {
    return value >= 0.0 && value <= limit;
}

int spinPosition(const std::string& text, int step, int perUnit, int lower, int upper) {
    if (lower > upper)
        std::swap(lower, upper);
    double scaled = std::trunc(readNumber(text) * perUnit);
    // A huge entry must not overflow the integer position; it is clamped anyway.
    scaled = std::clamp(scaled, -1e6, 1e6);
    int p = step + static_cast<int>(scaled);
    return std::clamp(p, lower, upper);
}

} // namespace

double powerCapacity(PowerSource source) {
    return source == PowerSource::UsbHost ? 1.5 : 6.0;
}

double readNumber(const std::string& text) {
    // The field holds at most a few hundred characters; atof reads the leading number.
    return std::atof(text.c_str());
}

bool isAllowedCharacter(int ch) {
    return ch == 8 || ch == '.' || (ch >= '0' && ch <= '9');
}

std::string formatVolts(double volts) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", volts);
    return buf;
}

std::string formatAmps(double amps) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", amps);
    return buf;
}

std::string stepVoltageText(const std::string& text, int step, int lower, int upper) {
    return formatVolts(spinPosition(text, step, StepsPerVolt, lower, upper) * 0.5);
}

std::string stepCurrentText(const std::string& text, int step, int lower, int upper) {
    return formatAmps(spinPosition(text, step, StepsPerAmp, lower, upper) * 0.025);
}

double voltsOnGrid(double volts) {
    return std::trunc(volts * 50) * 0.02;
}

double ampsOnGrid(double amps) {
    return std::trunc(amps * 1000) * 0.001;
}

Decision decide(Leading leading, const std::string& voltsText, const std::string& ampsText,
                PowerSource source, bool derive, double previousVolts, double previousAmps) {
    const double capacity = powerCapacity(source);
    Decision d;
    d.voltageSetpoint = previousVolts;
    d.currentSetpoint = previousAmps;
    const bool voltageLeads = leading == Leading::Voltage;

    // The leading field is read and tested first; the other one only if the first passed.
    auto readVolts = [&] {
        d.voltageSetpoint = readNumber(voltsText);
        if (!withinLimit(d.voltageSetpoint, MaxVolts)) {
            d.voltageSetpoint = -1.0;
            d.outcome = Outcome::VoltageTooHigh;
            return false;
        }
        return true;
    };
    auto readAmps = [&] {
        d.currentSetpoint = readNumber(ampsText);
        if (!withinLimit(d.currentSetpoint, MaxAmps)) {
            d.currentSetpoint = -1.0;
            d.outcome = Outcome::CurrentTooHigh;
            return false;
        }
        return true;
    };
    if (voltageLeads ? !(readVolts() && readAmps()) : !(readAmps() && readVolts()))
        return d;

    if (voltageLeads) {
        d.voltageSetpoint = voltsOnGrid(d.voltageSetpoint);
        d.rewriteVoltage = true;
        d.voltageText = formatVolts(d.voltageSetpoint);
        if (derive) {
            // 0 V makes the quotient infinite, which the limit turns into 1 A.
            d.currentSetpoint = std::min(capacity / d.voltageSetpoint, MaxAmps);
            d.currentSetpoint = ampsOnGrid(d.currentSetpoint);
            d.rewriteCurrent = true;
            d.currentText = formatAmps(d.currentSetpoint);
        } else if (d.currentSetpoint * d.voltageSetpoint > capacity) {
            d.voltageSetpoint = -1.0;
            d.outcome = Outcome::PowerTooHigh;
        }
    } else {
        d.currentSetpoint = ampsOnGrid(d.currentSetpoint);
        d.rewriteCurrent = true;
        d.currentText = formatAmps(d.currentSetpoint);
        if (derive) {
            d.voltageSetpoint = std::min(capacity / d.currentSetpoint, MaxVolts);
            d.voltageSetpoint = voltsOnGrid(d.voltageSetpoint);
            d.rewriteVoltage = true;
            d.voltageText = formatVolts(d.voltageSetpoint);
        } else if (d.currentSetpoint * d.voltageSetpoint > capacity) {
            d.currentSetpoint = -1.0;
            d.outcome = Outcome::PowerTooHigh;
        }
    }
    return d;
}

} // namespace SetpointRules
