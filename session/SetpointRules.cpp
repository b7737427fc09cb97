#include "session/SetpointRules.h"

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
    // The field holds at most a few hundred characters; the leading number is read as atof
    // reads it. strtod is atof's definition and reads "nan", "inf" and hexadecimal numbers on
    // every platform, where some run-times' atof stops at them.
    return std::strtod(text.c_str(), nullptr);
}

bool isAllowedCharacter(int ch) {
    return ch == 8 || ch == '.' || (ch >= '0' && ch <= '9');
}

EntryForm entryForm(const std::string& text) {
    int digits = 0;
    int points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.')
            ++points;
        else
            return EntryForm::NotANumber;
    }
    if (points > 1)
        return EntryForm::NotANumber;
    return digits > 0 ? EntryForm::Number : EntryForm::Blank;
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

namespace {

double onWire(double value, double perUnit) {
    const double units = value * perUnit;
    const double nearest = std::round(units);
    if (!(std::abs(units - nearest) < 1e-6) || nearest < 0)
        return value;
    // The middle of the step: the device's truncation of it gives the step itself.
    return (nearest + 0.5) / perUnit;
}

} // namespace

double wireVolts(double volts) {
    return onWire(volts, 50.0);
}

double wireAmps(double amps) {
    return onWire(amps, 1000.0);
}

double voltsOnGrid(double volts) {
    return std::trunc(volts * 50) * 0.02;
}

double ampsOnGrid(double amps) {
    return std::trunc(amps * 1000) * 0.001;
}

namespace {

// One of the two quantities of a set: where its entry comes from, its limit and grid, and
// where the decision keeps its value and text.
struct Quantity {
    const std::string& entry;
    double limit;
    Outcome tooHigh;
    double (*onGrid)(double);
    std::string (*format)(double);
    double& setpoint;
    bool& rewrite;
    std::string& text;
};

} // namespace

Decision decide(Leading leading, const std::string& voltsText, const std::string& ampsText,
                PowerSource source, bool derive, double previousVolts, double previousAmps,
                Reading reading) {
    const double capacity = powerCapacity(source);
    Decision d;
    d.voltageSetpoint = previousVolts;
    d.currentSetpoint = previousAmps;
    Quantity volts{voltsText,   MaxVolts,          Outcome::VoltageTooHigh, voltsOnGrid,
                   formatVolts, d.voltageSetpoint, d.rewriteVoltage,        d.voltageText};
    Quantity amps{ampsText,   MaxAmps,           Outcome::CurrentTooHigh, ampsOnGrid,
                  formatAmps, d.currentSetpoint, d.rewriteCurrent,        d.currentText};
    Quantity& lead = leading == Leading::Voltage ? volts : amps;
    Quantity& other = leading == Leading::Voltage ? amps : volts;

    // The leading field is read and tested first; the other one only if the first passed.
    auto read = [&d, reading](Quantity& q) {
        if (reading == Reading::WholeText && entryForm(q.entry) == EntryForm::NotANumber) {
            q.setpoint = -1.0;
            d.outcome = Outcome::NotANumber;
            return false;
        }
        q.setpoint = readNumber(q.entry);
        if (withinLimit(q.setpoint, q.limit))
            return true;
        q.setpoint = -1.0;
        d.outcome = q.tooHigh;
        return false;
    };
    auto bringToGrid = [](Quantity& q) {
        q.setpoint = q.onGrid(q.setpoint);
        q.rewrite = true;
        q.text = q.format(q.setpoint);
    };
    if (!read(lead) || !read(other))
        return d;

    bringToGrid(lead);
    if (derive) {
        // A leading value of 0 makes the quotient infinite, which the other's limit caps.
        other.setpoint = std::min(capacity / lead.setpoint, other.limit);
        bringToGrid(other);
    } else if (d.currentSetpoint * d.voltageSetpoint > capacity) {
        // The other value goes out as typed; the device's grid truncates it.
        lead.setpoint = -1.0;
        d.outcome = Outcome::PowerTooHigh;
    }
    return d;
}

} // namespace SetpointRules
