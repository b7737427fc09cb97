#include "session/SetpointRules.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

using SetpointRules::Leading;
using SetpointRules::Outcome;

struct SetCase {
    const char* name;
    Leading leading;
    const char* volts;
    const char* amps;
    PowerSource source;
    bool derive;
    Outcome outcome;
    double voltageSetpoint;
    double currentSetpoint;
    const char* voltageText; // "" when the field is left alone
    const char* currentText;
};

class SetButtons : public ::testing::TestWithParam<SetCase> {};

TEST_P(SetButtons, DecideAsTheLimitsAndGridsRequire) {
    const auto& c = GetParam();
    auto d = SetpointRules::decide(c.leading, c.volts, c.amps, c.source, c.derive, 7.0, 0.7);
    EXPECT_EQ(d.outcome, c.outcome);
    EXPECT_NEAR(d.voltageSetpoint, c.voltageSetpoint, 1e-9);
    EXPECT_NEAR(d.currentSetpoint, c.currentSetpoint, 1e-9);
    EXPECT_EQ(d.rewriteVoltage ? d.voltageText : std::string(), c.voltageText);
    EXPECT_EQ(d.rewriteCurrent ? d.currentText : std::string(), c.currentText);
}

constexpr auto V = Leading::Voltage;
constexpr auto A = Leading::Current;
constexpr auto Usb = PowerSource::UsbHost;
constexpr auto Ac = PowerSource::AcAdapter;
constexpr auto Idle = PowerSource::AdapterIdle;

INSTANTIATE_TEST_SUITE_P(
    Cases, SetButtons,
    ::testing::Values(SetCase{"ExactlyTheUsbCapacityIsAccepted", V, "20.00", "0.075", Usb, false,
                              Outcome::Send, 20.0, 0.075, "20.00", ""},
                      SetCase{"VoltageAboveTwentyIsRejectedBeforeTheCurrentIsRead", V, "20.02", "5",
                              Usb, false, Outcome::VoltageTooHigh, -1.0, 0.7, "", ""},
                      SetCase{"CurrentAboveOneKeepsTheVoltageJustRead", V, "3.333", "1.001", Ac,
                              false, Outcome::CurrentTooHigh, 3.333, -1.0, "", ""},
                      SetCase{"PowerRejectionMarksTheLeadingVoltage", V, "5.00", "0.400", Usb,
                              false, Outcome::PowerTooHigh, -1.0, 0.4, "5.00", ""},
                      SetCase{"PowerRejectionMarksTheLeadingCurrent", A, "5.00", "0.400", Usb,
                              false, Outcome::PowerTooHigh, 5.0, -1.0, "", "0.400"},
                      SetCase{"DerivedCurrentUsesTheUsbCapacity", V, "5.00", "0", Usb, true,
                              Outcome::Send, 5.0, 0.3, "5.00", "0.300"},
                      SetCase{"DerivedCurrentIsLimitedToOneAmpere", V, "1.00", "0", Ac, true,
                              Outcome::Send, 1.0, 1.0, "1.00", "1.000"},
                      SetCase{"ZeroVoltsDerivesTheFullAmpere", V, "0", "0.5", Idle, true,
                              Outcome::Send, 0.0, 1.0, "0.00", "1.000"},
                      SetCase{"DerivedVoltageIsLimitedToTwentyVolts", A, "0", "0.250", Ac, true,
                              Outcome::Send, 20.0, 0.25, "20.00", "0.250"},
                      SetCase{"ZeroAmperesDerivesTwentyVolts", A, "3", "0.000", Usb, true,
                              Outcome::Send, 20.0, 0.0, "20.00", "0.000"},
                      SetCase{"VoltageDropsToTheGridPointBelow", V, "3.33", "0.1", Ac, false,
                              Outcome::Send, 3.32, 0.1, "3.32", ""},
                      SetCase{"DoubleRoundingDropsOneStep", V, "0.58", "0.1", Ac, false,
                              Outcome::Send, 0.56, 0.1, "0.56", ""},
                      SetCase{"TheOtherValueGoesOutAsTyped", A, "4.1", "0.2", Ac, false,
                              Outcome::Send, 4.1, 0.2, "", "0.200"},
                      SetCase{"PastedNegativeVoltageIsRefused", V, "-5", "0.1", Ac, false,
                              Outcome::VoltageTooHigh, -1.0, 0.7, "", ""},
                      SetCase{"PastedNegativeCurrentIsRefused", A, "5", "-0.1", Ac, true,
                              Outcome::CurrentTooHigh, 7.0, -1.0, "", ""},
                      SetCase{"NotANumberIsRefused", V, "nan", "0.1", Ac, false,
                              Outcome::VoltageTooHigh, -1.0, 0.7, "", ""},
                      SetCase{"EmptyFieldsReadAsZero", V, "", "", Usb, false, Outcome::Send, 0.0,
                              0.0, "0.00", ""}),
    casenames::ByName{});

struct StepCase {
    const char* text;
    int step;
    bool volts;
    const char* expected;
};

class Arrows : public ::testing::TestWithParam<StepCase> {};

TEST_P(Arrows, StepFromTheFieldsTextOnTheGrid) {
    const auto& c = GetParam();
    EXPECT_EQ(c.volts ? SetpointRules::stepVoltageText(c.text, c.step)
                      : SetpointRules::stepCurrentText(c.text, c.step),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Arrows,
    ::testing::Values(StepCase{"3.70", +1, true, "4.00"}, StepCase{"3.70", -1, true, "3.00"},
                      StepCase{"20.00", +1, true, "20.00"}, StepCase{"0", -1, false, "0.000"},
                      StepCase{"0.100", +1, false, "0.125"}, StepCase{"1.000", +1, false, "1.000"},
                      StepCase{"abc", +1, true, "0.50"}, StepCase{"1e300", -1, true, "20.00"},
                      StepCase{"-3", +1, false, "0.000"}),
    [](const auto& info) {
        return std::string(info.param.volts ? "Volts_" : "Amps_") +
               casenames::word(info.param.text) + (info.param.step > 0 ? "_Up" : "_Down");
    });

TEST(SetpointRules, ReversedRangeIsSwappedBeforeClamping) {
    EXPECT_EQ(SetpointRules::stepVoltageText("30", +1, 40, 0), "20.00");
}

TEST(SetpointRules, OnlyDigitsPointAndBackspaceMayBeTyped) {
    for (int ch : {int('0'), int('5'), int('9'), int('.'), 8})
        EXPECT_TRUE(SetpointRules::isAllowedCharacter(ch)) << ch;
    for (int ch : {int('-'), int('+'), int(' '), int('e'), int(','), 13, 0x3000})
        EXPECT_FALSE(SetpointRules::isAllowedCharacter(ch)) << ch;
}

struct FormCase {
    const char* name;
    const char* text;
    SetpointRules::EntryForm form;
};

class EntryForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(EntryForms, TextIsANumberOnlyAsAWhole) {
    EXPECT_EQ(SetpointRules::entryForm(GetParam().text), GetParam().form);
}

constexpr auto Number = SetpointRules::EntryForm::Number;
constexpr auto Blank = SetpointRules::EntryForm::Blank;
constexpr auto NotANumber = SetpointRules::EntryForm::NotANumber;

INSTANTIATE_TEST_SUITE_P(
    Texts, EntryForms,
    ::testing::Values(
        FormCase{"Digits", "12", Number}, FormCase{"Decimal", "0.250", Number},
        FormCase{"NoDigitBeforeThePoint", ".5", Number},
        FormCase{"NoDigitAfterThePoint", "5.", Number}, FormCase{"Empty", "", Blank},
        FormCase{"LonePoint", ".", Blank}, FormCase{"DecimalComma", "1,5", NotANumber},
        FormCase{"FullWidthDigits", "１２", NotANumber},
        FormCase{"TrailingLetters", "12abc", NotANumber}, FormCase{"Sign", "-5", NotANumber},
        FormCase{"Exponent", "1e1", NotANumber}, FormCase{"LeadingBlank", " 5", NotANumber},
        FormCase{"TwoPoints", "1.2.3", NotANumber}, FormCase{"TwoPointsNoDigit", "..", NotANumber}),
    casenames::ByName{});

TEST(SetpointRules, CapacityDependsOnTheSource) {
    EXPECT_EQ(SetpointRules::powerCapacity(PowerSource::UsbHost), 1.5);
    EXPECT_EQ(SetpointRules::powerCapacity(PowerSource::AcAdapter), 6.0);
    EXPECT_EQ(SetpointRules::powerCapacity(PowerSource::AdapterIdle), 6.0);
}

} // namespace

// Every grid point the rules bring a field to reaches the device as that point (0.59 typed
// shows 0.58 and the device gets 0.58, not 0.56); values sent as typed keep the device's
// truncation.
TEST(SetpointRules, TheDeviceGetsEveryGridPointTheFieldsShow) {
    for (unsigned k = 0; k <= 1000; ++k) {
        // An entry inside step k is held as step k, and shown and logged as it.
        const double volts = SetpointRules::voltsOnGrid((k + 0.5) * SupplyDevice::VoltsPerUnit);
        ASSERT_EQ(std::lround(std::atof(SetpointRules::formatVolts(volts).c_str()) * 50), long(k));
        const double amps = SetpointRules::ampsOnGrid((k + 0.5) * SupplyDevice::AmpsPerUnit);
        const std::string wire = SupplyDevice::setCommand(SetpointRules::wireVolts(volts),
                                                          SetpointRules::wireAmps(amps));
        ASSERT_EQ(SupplyDevice::decodeUnits(wire.c_str() + 1), k) << "volts " << volts;
        ASSERT_EQ(SupplyDevice::decodeUnits(wire.c_str() + 4), k) << "amps " << amps;
    }
    // Sent as typed, a value between grid points is truncated by the device: 0.0999 A, 99 mA.
    EXPECT_EQ(SupplyDevice::setCommand(4.1, 0.0999), "S0CC063");
}
