#pragma once

#include "device/SupplyDevice.h"

#include <string>

// The rules of set-point entry, apart from the window: limits, power capacity, the grids
// of sent values and of the stepping arrows, deriving one value from the other.
namespace SetpointRules {

constexpr double MaxVolts = 20.0;
constexpr double MaxAmps = 1.0;
constexpr int StepsPerVolt = 2; // the arrows step 0.5 V
constexpr int StepsPerAmp = 40; // and 0.025 A
// The grids the device holds its set-points on.
constexpr double VoltsGridStep = 0.02;
constexpr double AmpsGridStep = 0.001;
constexpr int SpinLower = 0;
constexpr int SpinUpper = 40;

// Power the present source allows, in watts.
double powerCapacity(PowerSource source);

// The leading decimal number of a text, 0.0 when there is none (as atof reads it).
double readNumber(const std::string& text);

// Characters that may be typed into a set-point field: backspace, "." and digits.
bool isAllowedCharacter(int ch);

// What a set-point text is, read whole. Typing can only give digits and points; pasting can
// give anything, and the leading-number rule would read "1,5" as 1 and "12abc" as 12.
enum class EntryForm {
    Number,     // digits with at most one point: "5", "0.25", ".5", "5."
    Blank,      // no digit and at most one point: "" or "."; it reads as 0
    NotANumber, // anything else: "1,5", "-5", "1e1", " 5", "1.2.3", full-width digits
};
EntryForm entryForm(const std::string& text);

// One press of an arrow: from the field's text, one grid step up (+1) or down (-1), the
// position clamped to [lower, upper] (swapped when given the wrong way round).
std::string stepVoltageText(const std::string& text, int step, int lower = SpinLower,
                            int upper = SpinUpper);
std::string stepCurrentText(const std::string& text, int step, int lower = SpinLower,
                            int upper = SpinUpper);

// Values brought to the device's grids, truncated toward zero.
double voltsOnGrid(double volts);
double ampsOnGrid(double amps);

// What goes to the device for a set-point the rules brought to the grid: the point it is
// held as, although in binary it may lie just below it (0.58 V is 28.999999999999996 steps),
// so that the device gets what the fields, the log and the CSV show. Values sent as typed
// do not pass through here; the device's truncation applies to them.
double wireVolts(double volts);
double wireAmps(double amps);

std::string formatVolts(double volts);
std::string formatAmps(double amps);

enum class Outcome {
    Send,           // the pair goes to the device
    VoltageTooHigh, // the voltage is outside 0..20 V
    CurrentTooHigh, // the current is outside 0..1 A
    PowerTooHigh,   // the pair draws more than the source allows
    NotANumber,     // a field's text is no number as a whole (read WholeText only)
};

// How a field's text becomes a value: its leading number, as atof reads it ("12abc" is 12),
// or the text as a whole, where anything but a number (EntryForm::NotANumber) is refused
// like a value beyond its limit. A blank text reads as 0 either way.
enum class Reading { LeadingNumber, WholeText };

enum class Leading { Voltage, Current };

// What one press of a set button decides. The set-points are the values the window holds
// afterwards (-1.0 marks the rejected field); the texts are rewritten only when flagged.
struct Decision {
    Outcome outcome = Outcome::Send;
    double voltageSetpoint = 0.0;
    double currentSetpoint = 0.0;
    bool rewriteVoltage = false;
    bool rewriteCurrent = false;
    std::string voltageText; // what the voltage field shows when rewritten
    std::string currentText;
};

// `previousVolts` / `previousAmps` are the set-points held before the press; a value that
// is rejected before the other one is read leaves the other unchanged.
Decision decide(Leading leading, const std::string& voltsText, const std::string& ampsText,
                PowerSource source, bool derive, double previousVolts, double previousAmps,
                Reading reading = Reading::LeadingNumber);

} // namespace SetpointRules
