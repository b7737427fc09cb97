// What the instrument language keeps per client: status registers, the error queue, and the
// byte stream of a connection with its limits.
#include "session/SetpointRules.h"
#include "scpi/Connection.h"
#include "scpi/Format.h"
#include "scpi/Parameters.h"
#include "simulator/MemoryInstrument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// Test names from the cases' own names.
constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

using sim::MemoryInstrument;

struct StatusCase {
    const char* name;
    const char* sent;
    const char* replies;
};

class StatusRegisters : public ::testing::TestWithParam<StatusCase> {};

// The client reads each reply before it sends the next line.
TEST_P(StatusRegisters, FollowIeee488Point2) {
    MemoryInstrument m;
    scpi::Connection c(m);
    std::string sent = GetParam().sent;
    std::string replies;
    for (std::size_t start = 0, lf; (lf = sent.find('\n', start)) != std::string::npos;
         start = lf + 1) {
        c.receive(sent.substr(start, lf + 1 - start));
        c.executeAll();
        replies += c.output();
        c.consumeOutput(c.output().size());
    }
    EXPECT_EQ(replies, GetParam().replies);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusRegisters,
    ::testing::Values(
        StatusCase{"OperationCompleteSetsBitZeroAndReadingClears", "*OPC;*ESR?;*ESR?\n", "1;0\n"},
        StatusCase{"CommandErrorSetsBitFive", "BOGUS\n*ESR?\n", "32\n"},
        StatusCase{"ExecutionErrorSetsBitFour", "VOLT 30\n*ESR?\n", "16\n"},
        StatusCase{"ErrorQueueShowsInBitTwo", "BOGUS\n*STB?\nSYST:ERR?\n*STB?\n",
                   "4\n-113,\"Undefined header\"\n0\n"},
        StatusCase{"EnabledEventsSummariseInBitFive", "*ESE 32\nBOGUS\n*STB?\n", "36\n"},
        StatusCase{"EnabledSummaryRequestsServiceInBitSix", "*ESE 32;*SRE 36\nBOGUS\n*STB?\n",
                   "100\n"},
        StatusCase{"PendingAnswerIsAMessageAvailable", "*IDN?;*STB?\n", "Quorel,SIM,0,1.02;16\n"},
        StatusCase{"EnableMasksReadBackWithoutBitSix", "*ESE 255;*SRE 255;*ESE?;*SRE?\n",
                   "255;191\n"},
        StatusCase{"EnableMaskAboveAByteIsOutOfRange", "*ESE 256\nSYST:ERR?;*ESE?\n",
                   "-222,\"Data out of range\";0\n"},
        StatusCase{"ClearEmptiesQueueAndEventsButKeepsMasks",
                   "*ESE 4\nBOGUS\n*CLS\n*ESR?;*ESE?;SYST:ERR?\n", "0;4;0,\"No error\"\n"},
        StatusCase{"SelfTestPassesAndWaitDoesNothing", "*TST?;*WAI;*OPC?\n", "0;1\n"}),
    byName);

TEST(ErrorQueue, OverflowKeepsTheOldestAndMarksTheLastPlace) {
    MemoryInstrument m;
    scpi::Connection c(m);
    for (int i = 0; i < 20; ++i)
        c.receive("VOLT 99\n");
    c.receive("SYST:ERR?\n");
    c.receive("BOGUS\n");
    for (int i = 0; i < 17; ++i)
        c.receive("SYST:ERR?\n");
    c.executeAll();
    std::string expected;
    for (int i = 0; i < 14; ++i)
        expected += "-222,\"Data out of range\"\n";
    // One read made room for the -113 behind the overflow mark.
    expected += "-350,\"Queue overflow\"\n-113,\"Undefined header\"\n0,\"No error\"\n";
    EXPECT_EQ(std::string("-222,\"Data out of range\"\n") + expected, c.output());
}

TEST(ErrorQueue, EachClientHasItsOwn) {
    MemoryInstrument m;
    scpi::Connection a(m);
    scpi::Connection b(m);
    a.receive("BOGUS\n");
    b.receive("SYST:ERR?\n");
    a.receive("SYST:ERR?\n");
    a.executeAll();
    b.executeAll();
    EXPECT_EQ(a.output(), "-113,\"Undefined header\"\n");
    EXPECT_EQ(b.output(), "0,\"No error\"\n");
}

// --- numbers ---

struct NumberCase {
    const char* name;
    const char* text;
    scpi::Quantity quantity;
    scpi::Error error;
    double value;
};

class Numbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(Numbers, ReadAsDecimalNumbersWithUnits) {
    const NumberCase& n = GetParam();
    double value = -12345.0;
    EXPECT_EQ(scpi::readSetting(n.text, n.quantity, {0.0, 1000.0, 7.0}, value), n.error);
    if (n.error == scpi::Error::None) {
        EXPECT_EQ(value, n.value); // exactly: a prefix shifts the decimal point, not the bits
    }
}

using scpi::Error;
using scpi::Quantity;
constexpr auto Volts = Quantity::Volts;
constexpr auto Amps = Quantity::Amps;
constexpr auto Seconds = Quantity::Seconds;
constexpr auto Plain = Quantity::Plain;

INSTANTIATE_TEST_SUITE_P(
    Cases, Numbers,
    ::testing::Values(NumberCase{"Integer", "5", Volts, Error::None, 5.0},
                      NumberCase{"SignAndFractionOnly", "+.5", Volts, Error::None, 0.5},
                      NumberCase{"Exponent", "1.5e-1", Volts, Error::None, 0.15},
                      NumberCase{"MillivoltsAsTheDecimal", "580mV", Volts, Error::None, 0.58},
                      NumberCase{"LowerCaseUnit", "3v", Volts, Error::None, 3.0},
                      NumberCase{"MaIsMilliamperes", "300MA", Amps, Error::None, 0.3},
                      NumberCase{"Microamperes", "250 uA", Amps, Error::None, 0.00025},
                      NumberCase{"Milliseconds", "20 ms", Seconds, Error::None, 0.02},
                      NumberCase{"Kilovolts", "0.02kV", Volts, Error::None, 20.0},
                      NumberCase{"ExponentLetterWithoutDigitsIsNoUnit", "5E", Volts,
                                 Error::InvalidSuffix, 0},
                      NumberCase{"WattsForVolts", "5W", Volts, Error::InvalidSuffix, 0},
                      NumberCase{"MegaPrefixIsNotTaken", "1MAV", Volts, Error::InvalidSuffix, 0},
                      NumberCase{"UnitOnAPlainNumber", "5V", Plain, Error::InvalidSuffix, 0},
                      NumberCase{"MinimumKeyword", "min", Volts, Error::None, 0.0},
                      NumberCase{"MaximumLongForm", "MAXIMUM", Volts, Error::None, 1000.0},
                      NumberCase{"DefaultKeyword", "DEF", Volts, Error::None, 7.0},
                      NumberCase{"OtherKeyword", "MAXI", Volts, Error::DataType, 0},
                      NumberCase{"NoDigits", "-.", Volts, Error::Syntax, 0},
                      NumberCase{"BelowTheRange", "-0.0001", Volts, Error::DataOutOfRange, 0},
                      NumberCase{"AboveTheRange", "1000.001", Volts, Error::DataOutOfRange, 0},
                      NumberCase{"TooSmallIsZero", "1e-999", Volts, Error::None, 0.0},
                      NumberCase{"LongestExponentStaysBounded", "1e99999999999999999999", Volts,
                                 Error::DataOutOfRange, 0}),
    byName);

TEST(Booleans, WordsAndRoundedNumbers) {
    struct {
        const char* text;
        Error error;
        bool on;
    } cases[] = {{"ON", Error::None, true},       {"off", Error::None, false},
                 {"1", Error::None, true},        {"0", Error::None, false},
                 {"0.4", Error::None, false},     {"2", Error::None, true},
                 {"TRUE", Error::DataType, false}};
    for (const auto& c : cases) {
        bool on = !c.on;
        EXPECT_EQ(scpi::readBoolean(c.text, on), c.error) << c.text;
        if (c.error == Error::None) {
            EXPECT_EQ(on, c.on) << c.text;
        }
    }
}

// Replies must read as the panel's fields do, and a negative zero is never shown.
TEST(Replies, SetpointsAsThePanelFormatsThem) {
    for (double v : {0.0, 0.02, 3.32, 12.345, 19.999, 20.0, 1e-9, 0.0005, 0.9995})
        EXPECT_EQ(scpi::volts(v), SetpointRules::formatVolts(v)) << v;
    for (double a : {0.0, 0.001, 0.075, 0.4995, 1.0})
        EXPECT_EQ(scpi::amps(a), SetpointRules::formatAmps(a)) << a;
    EXPECT_EQ(scpi::volts(-0.001), "0.00");
    EXPECT_EQ(scpi::amps(std::nan("")), "9.91E37");
}

// --- the byte stream ---

class Stream : public ::testing::Test {
protected:
    MemoryInstrument m;
    scpi::Connection c{m};

    std::string run(const std::string& bytes) {
        c.receive(bytes);
        c.executeAll();
        std::string out(c.output());
        c.consumeOutput(out.size());
        return out;
    }
};

TEST_F(Stream, LinesSplitAnywhereWithEitherEnding) {
    std::string sent = "VOLT 5\r\nVOLT?\r\n*IDN?\n";
    std::string out;
    for (char ch : sent)
        out += run(std::string(1, ch));
    EXPECT_EQ(out, "5.00\nQuorel,SIM,0,1.02\n");
}

TEST_F(Stream, LineOfTheLimitRunsAndOneByteMoreIsTooMuchData) {
    std::string fits = "*OPC?" + std::string(scpi::Connection::MaxLineBytes - 5, ' ');
    EXPECT_EQ(run(fits + "\r\n"), "1\n");
    // The too-long line is dropped up to its LF, even when it comes in pieces.
    std::string tooLong = "VOLT 1" + std::string(scpi::Connection::MaxLineBytes, ' ');
    EXPECT_EQ(run(tooLong.substr(0, 1000)), "");
    EXPECT_EQ(run(tooLong.substr(1000) + ";OUTP ON\nSYST:ERR?;:OUTP?\n"),
              "-223,\"Too much data\";0\n");
    EXPECT_TRUE(m.actions.empty());
}

TEST_F(Stream, UnfinishedLineAtTheEndNeverRuns) {
    c.receive("OUTP ON\nVOLT 1");
    c.endOfInput();
    c.receive("2\n");
    c.executeAll();
    EXPECT_EQ(m.actions, std::vector<std::string>{"output on"});
    EXPECT_TRUE(c.finished());
}

TEST_F(Stream, FastSenderWaitsInsteadOfFillingMemory) {
    std::string line = "VOLT 5\n";
    while (c.wantsInput())
        c.receive(line);
    EXPECT_TRUE(m.actions.empty());
    c.executeNext();
    c.executeAll();
    EXPECT_TRUE(c.wantsInput());
}

TEST(StreamLimit, ClientThatDoesNotReadIsOverflowedAndRunsNothingMore) {
    MemoryInstrument m;
    scpi::Connection c(m, 100);
    for (int i = 0; i < 10; ++i)
        c.receive("*IDN?\n");
    c.receive("OUTP ON\n");
    c.executeAll();
    EXPECT_TRUE(c.overflowed());
    EXPECT_FALSE(c.wantsInput());
    EXPECT_LE(c.output().size(), 100u);
    EXPECT_TRUE(m.actions.empty());
}

} // namespace
