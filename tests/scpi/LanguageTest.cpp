// The instrument language end to end: lines into a client connection, replies out, against
// an instrument held in memory.
#include "scpi/Commands.h"
#include "scpi/Connection.h"
#include "simulator/MemoryInstrument.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

// Test names from the cases' own names.
constexpr auto byName = [](const auto& info) { return std::string(info.param.name); };

using scpi::InstrumentResult;
using sim::MemoryInstrument;

std::string talk(MemoryInstrument& instrument, const std::string& sent) {
    scpi::Connection c(instrument);
    c.receive(sent);
    c.executeAll();
    return std::string(c.output());
}

struct Conversation {
    const char* name;
    const char* sent;
    const char* replies;
    void (*arrange)(MemoryInstrument&) = nullptr;
    const char* actions = nullptr; // what reached the device, "|"-separated; null: not checked
};

std::string joinedActions(const MemoryInstrument& m) {
    std::string out;
    for (const std::string& a : m.actions)
        out += (out.empty() ? "" : "|") + a;
    return out;
}

void onAdapter(MemoryInstrument& m) {
    m.status.source = PowerSource::AcAdapter;
}
void fiveVoltsTenthAmp(MemoryInstrument& m) {
    m.heldVolts = 5.0;
    m.heldAmps = 0.1;
}
void constantCurrentAt12V(MemoryInstrument& m) {
    m.status = {PowerSource::AcAdapter, 1, 1, 12.0, 0.24};
    m.outputIsOn = true;
}
void constantVoltage(MemoryInstrument& m) {
    m.status.constantCurrent = 0;
    m.outputIsOn = true;
}
void adapterIdle(MemoryInstrument& m) {
    m.status.source = PowerSource::AdapterIdle;
}
void hourOfCharge(MemoryInstrument& m) {
    m.counted = {0.5, 6.0, 3600.0};
}
void currentProtectionTripped(MemoryInstrument& m) {
    m.protections[1].tripped = true;
}
void deviceFails(MemoryInstrument& m) {
    m.failure = InstrumentResult::DeviceFailure;
}
void noDevice(MemoryInstrument& m) {
    m.failure = InstrumentResult::NoDevice;
}
void sequenceRunning(MemoryInstrument& m) {
    m.step = 2;
}
void awkwardIdentity(MemoryInstrument& m) {
    m.identity = {"A,B", "", "1.0\r\x01;\""};
}
void quotedFirmware(MemoryInstrument& m) {
    m.identity = {"SIM", "", "1.0'2\""};
}

class Language : public ::testing::TestWithParam<Conversation> {};

TEST_P(Language, RepliesAndActsAsTheCommandTableSays) {
    const Conversation& c = GetParam();
    MemoryInstrument m;
    if (c.arrange)
        c.arrange(m);
    EXPECT_EQ(talk(m, c.sent), c.replies);
    if (c.actions) {
        EXPECT_EQ(joinedActions(m), c.actions);
    }
}

const Conversation Forms[] = {
    {"ShortAndLongFormsInAnyCase", "volt 5\nSOURce:VOLTage?\nsour:volt:lev:imm:ampl?\n",
     "5.00\n5.00\n"},
    {"LeadingColonAndMixedCase", ":sOuRcE:cUrReNt:LeVeL 0.25\n:CURR?\n", "0.250\n"},
    {"NeitherShortNorLongIsUndefined", "VOLTA 5\nSYST:ERR?\n", "-113,\"Undefined header\"\n"},
    {"PathContinuesAfterSemicolon", "SOUR:VOLT 5;CURR 0.1;VOLT?;CURR?\n", "5.00;0.100\n"},
    {"PathRepeatedWithoutColonIsUndefined", "SOUR:VOLT 5;SOUR:CURR 0.1\nSYST:ERR?\n",
     "-113,\"Undefined header\"\n", nullptr, "set 5.00 0.000"},
    {"LeadingColonReturnsToTheRoot", "MEAS:VOLT?;:SYST:VERS?\n", "0.00;1999.0\n"},
    {"CommonCommandKeepsThePath", "SOUR:VOLT 5;*IDN?;CURR 0.1;CURR?\n",
     "Quorel,SIM,0,1.02;0.100\n"},
    {"PathStartsAtTheRootOnEachLine", "MEAS:VOLT?\nVOLT?\n", "0.00\n0.00\n"},
    {"PathOfAnOptionalNodeForm", "VOLT:PROT:LEV 5;STAT ON;STAT?;LEV?\n", "1;5.00\n"},
    {"QueryOfACommandOnlyHeaderIsUndefined", "*RST?\nSYST:ERR?\n", "-113,\"Undefined header\"\n"},
    {"CommandOfAQueryOnlyHeaderIsUndefined", "MEAS:VOLT\nSYST:ERR?\n",
     "-113,\"Undefined header\"\n"},
    {"EmptyUnitsAndBlankLinesDoNothing", ";;\n  \n*OPC?;;*OPC?;\n", "1;1\n"},
};
INSTANTIATE_TEST_SUITE_P(Headers, Language, ::testing::ValuesIn(Forms), byName);

const Conversation Values[] = {
    {"Millivolts", "VOLT 2500mV;VOLT?\n", "2.50\n", nullptr, "set 2.50 0.000"},
    {"MilliamperesWithBlankBeforeTheSuffix", "CURR 150 MA;CURR?\n", "0.150\n"},
    {"ExponentAndUnitSuffix", "VOLT 1.2E1 V;VOLT?\n", "12.00\n"},
    {"MaxVoltsWithinTheCapacity", "VOLT MAX;VOLT?\n", "20.00\n"},
    {"MaxBeyondTheCapacityConflicts", "CURR MAX\nSYST:ERR?\nCURR?\n",
     "-221,\"Settings conflict\"\n0.100\n", fiveVoltsTenthAmp, ""},
    {"DefaultIsZero", "CURR DEF;CURR?\n", "0.000\n", fiveVoltsTenthAmp, "set 5.00 0.000"},
    {"QueryOfTheLimits", "VOLT? MAX;CURR? MIN;VOLT? DEF\n", "20.00;0.000;0.00\n"},
    {"ApplySetsBoth", "APPL 12,0.5;APPL?\n", "12.00,0.500\n", onAdapter, "set 12.00 0.500"},
    {"OutputAsWordsAndNumbers", "OUTP ON;OUTP?;OUTP 0;OUTP?;OUTP:STAT 1;STAT?\n", "1;0;1\n"},
    {"NothingAfterAFailedUnitRuns", "VOLT 25;OUTP ON\nOUTP?\n", "0\n", nullptr, ""},
    {"AnswersBeforeAnErrorAreKept", "*IDN?;BOGUS?;*IDN?\n", "Quorel,SIM,0,1.02\n"},
    {"IdentityFieldsCannotSplit", "*IDN?\n", "Quorel,A_B,0,1.0____\n", awkwardIdentity},
    {"IdentityQuotesOfEitherKindBecomeUnderscores", "*IDN?\n", "Quorel,SIM,0,1.0_2_\n",
     quotedFirmware},
};
INSTANTIATE_TEST_SUITE_P(Parameters, Language, ::testing::ValuesIn(Values), byName);

const Conversation Errors[] = {
    {"Syntax", "VOLT 5,,6\nSYST:ERR?\n", "-102,\"Syntax error\"\n"},
    {"SyntaxOfAnOpenString", "VOLT 'five;VOLT 6\nSYST:ERR?\n", "-102,\"Syntax error\"\n"},
    {"SyntaxOfANumber", "VOLT 5x5\nSYST:ERR?\n", "-102,\"Syntax error\"\n"},
    {"DataTypeOfAWord", "VOLT ON\nSYST:ERR?\n", "-104,\"Data type error\"\n"},
    {"DataTypeOfAString", "OUTP 'on'\nSYST:ERR?\n", "-104,\"Data type error\"\n"},
    {"DataTypeOfABlock", "VOLT #15hello\nSYST:ERR?\n", "-104,\"Data type error\"\n"},
    {"ParameterNotAllowed", "VOLT 5,6\nSYST:ERR?\n", "-108,\"Parameter not allowed\"\n"},
    {"ParameterOfAPlainQuery", "MEAS:VOLT? 5\nSYST:ERR?\n", "-108,\"Parameter not allowed\"\n"},
    {"MissingParameter", "APPL 5\nSYST:ERR?\n", "-109,\"Missing parameter\"\n"},
    {"InvalidSuffixOfAnotherUnit", "VOLT 5A\nSYST:ERR?\n", "-131,\"Invalid suffix\"\n"},
    {"InvalidSuffixOnAPlainNumber", "*ESE 4V\nSYST:ERR?\n", "-131,\"Invalid suffix\"\n"},
    {"SettingsConflictOfThePowerCapacity", "APPL 5,0.4\nSYST:ERR?\n",
     "-221,\"Settings conflict\"\n", nullptr, ""},
    {"OutOfRangeAboveTheLimit", "VOLT 20.02\nSYST:ERR?\n", "-222,\"Data out of range\"\n", nullptr,
     ""},
    {"OutOfRangeBelowZero", "CURR -0.001\nSYST:ERR?\n", "-222,\"Data out of range\"\n"},
    {"OutOfRangeOfAHugeNumber", "VOLT 1e999\nSYST:ERR?\n", "-222,\"Data out of range\"\n"},
    {"HardwareError", "MEAS:VOLT?\nSYST:ERR?\n", "-240,\"Hardware error\"\n", deviceFails},
    {"HardwareMissing", "FETC:CURR?\nSYST:ERR?\n", "-241,\"Hardware missing\"\n", noDevice},
    {"RefusedWhileTripped", "OUTP ON\nSYST:ERR?\n",
     "-221,\"Settings conflict;refused in the present state\"\n", currentProtectionTripped, ""},
    {"EmptyQueue", "SYST:ERR?;:SYST:ERR:NEXT?\n", "0,\"No error\";0,\"No error\"\n"},
};
INSTANTIATE_TEST_SUITE_P(ErrorCodes, Language, ::testing::ValuesIn(Errors), byName);

const Conversation Instrument[] = {
    {"ResetKeepsTheSetpoints", "OUTP ON;*RST;OUTP?;VOLT?\n", "0;5.00\n", fiveVoltsTenthAmp,
     "output on|reset"},
    {"FreshReadingsAndPower", "MEAS:VOLT?;CURR?;POW?;:MEAS:SCAL:VOLT:DC?\n",
     "12.00;0.240;2.880;12.00\n", constantCurrentAt12V},
    {"LastReadings", "FETC:VOLT?;CURR?;POW?\n", "12.00;0.240;2.880\n", constantCurrentAt12V},
    {"ConstantCurrentMode", "OUTP:MODE?;:STAT:OPER:COND?\n", "CC;1024\n", constantCurrentAt12V},
    {"ConstantVoltageMode", "OUTP:MODE?;:STAT:OPER:COND?\n", "CV;256\n", constantVoltage},
    {"OutputOffMode", "OUTP:MODE?;:STAT:OPER:COND?\n", "OFF;0\n"},
    {"UsbSource", "SYST:POW:SOUR?;LIM?\n", "USB;1.500\n"},
    {"AdapterSource", "SYST:POW:SOUR?;LIM?\n", "ADAPTER;6.000\n", onAdapter},
    {"IdleAdapterSource", "SYST:POW:SOUR?;LIM?\n", "IDLE;6.000\n", adapterIdle},
    {"VoltageProtection", "VOLT:PROT 12.5;PROT?;PROT:STAT ON;STAT?;TRIP?\n", "12.50;1;0\n"},
    {"CurrentProtectionWithDelay",
     "CURR:PROT 500mA;PROT:DEL 20ms;STAT 1;:CURR:PROT?;PROT:DEL?;STAT?\n", "0.500;0.020;1\n"},
    {"PowerProtectionLimits", "POW:PROT MAX;PROT?;PROT? MIN\nPOW:PROT 7\nSYST:ERR?\n",
     "6.000;0.000\n-222,\"Data out of range\"\n"},
    {"ClearedProtectionAllowsTheOutput", "CURR:PROT:TRIP?;CLE;TRIP?\nOUTP ON;OUTP?\n", "1;0\n1\n",
     currentProtectionTripped, "output on"},
    {"Counters", "ACC:CHAR?;ENER?;TIME?;RES;CHAR?\n", "0.500000;6.000000;3600.000;0.000000\n",
     hourOfCharge},
    {"SequenceStartsAndStops",
     "LIST:VOLT 1,2,3V;CURR 0.1,0.2,300mA;DWEL 1,0.5,2;COUN 2\n"
     "LIST:VOLT?;CURR?;DWEL?;COUN?;STEP?\nINIT;:LIST:STEP?\nABOR;:LIST:STEP?\n",
     "1.00,2.00,3.00;0.100,0.200,0.300;1.000,0.500,2.000;2;0\n1\n0\n", nullptr, "start|abort"},
    {"EndlessSequence", "LIST:COUN INF;COUN?\n", "9.9E37\n"},
    {"SequenceRefusalNamesTheStep",
     "LIST:VOLT 1,20;CURR 0.1,0.5;DWEL 1,1\nINIT:IMM\nSYST:ERR?\nLIST:STEP?\n",
     "-221,\"Settings conflict;step 2\"\n0\n", nullptr, ""},
    {"SequenceOfUnequalListsConflicts", "LIST:VOLT 1,2;CURR 0.1;DWEL 1\nINIT\nSYST:ERR?\n",
     "-221,\"Settings conflict\"\n"},
    {"SequenceValueOutOfRange", "LIST:VOLT 1,25\nSYST:ERR?\nLIST:VOLT?\n",
     "-222,\"Data out of range\"\n"},
    {"EmptyListsAnswerNoLineButAConflict",
     "LIST:VOLT?\nLIST:CURR?\nLIST:DWEL?\nSYST:ERR?;ERR?;ERR?\n",
     "-221,\"Settings conflict;list empty\";-221,\"Settings conflict;list empty\";"
     "-221,\"Settings conflict;list empty\"\n"},
    {"DelayRangeIsTheProtectionsPages",
     "CURR:PROT:DEL? MAX;DEL 100;DEL?\nCURR:PROT:DEL 3601\nSYST:ERR?\n",
     "3600.000;100.000\n-222,\"Data out of range\"\n"},
    {"OverPowerDefaultsToSixWattsAndTakesThree", "POW:PROT? DEF;PROT 3;PROT?\n", "6.000;3.000\n"},
    {"ListsCannotChangeWhileRunning", "LIST:VOLT 1\nSYST:ERR?\n",
     "-221,\"Settings conflict;refused in the present state\"\n", sequenceRunning},
};
INSTANTIATE_TEST_SUITE_P(Commands, Language, ::testing::ValuesIn(Instrument), byName);

TEST(Language, ListLongerThanTheLimitIsTooMuchData) {
    MemoryInstrument m;
    std::string values = "1";
    for (std::size_t i = 1; i <= scpi::MaxListPoints; ++i)
        values += ",1";
    EXPECT_EQ(talk(m, "LIST:DWEL " + values + "\nSYST:ERR?\nLIST:DWEL?\n"),
              "-223,\"Too much data\"\n");
}

TEST(Language, AnErrorLostToAFullQueueSetsTheOverflowsBitBesideItsOwn) {
    MemoryInstrument m;
    std::string sent;
    for (std::size_t i = 0; i <= scpi::ErrorQueue::Capacity; ++i)
        sent += "BOGUS\n";
    EXPECT_EQ(talk(m, sent + "*ESR?\n"), "40\n") << "command error 32 and device-specific 8";
    EXPECT_EQ(talk(m, "BOGUS\n*ESR?\n"), "32\n") << "a queue with room: its own bit only";
}

// Every numeric setting the instrument refuses as out of its range answers -222, whatever
// the quantity.
class InstrumentRefusal : public ::testing::TestWithParam<const char*> {};

TEST_P(InstrumentRefusal, IsDataOutOfRange) {
    MemoryInstrument m;
    m.failure = InstrumentResult::OutOfRange;
    EXPECT_EQ(talk(m, std::string(GetParam()) + "\nSYST:ERR?\n"), "-222,\"Data out of range\"\n");
}

INSTANTIATE_TEST_SUITE_P(Quantities, InstrumentRefusal,
                         ::testing::Values("VOLT 1", "CURR 0.1", "APPL 1,0.1", "VOLT:PROT 1",
                                           "CURR:PROT 0.1", "POW:PROT 1", "CURR:PROT:DEL 1",
                                           "VOLT:PROT:STAT ON", "OUTP ON"),
                         [](const auto& info) {
                             std::string name;
                             for (const char* c = info.param; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c)))
                                     name += *c;
                             return name;
                         });

// Every header is found in its long form with every optional node and in its short form
// without them, and names its own row: no earlier row hides a later one.
TEST(CommandTable, EveryHeaderIsReachableInBothForms) {
    for (const std::string& header : scpi::commandHeaders()) {
        std::vector<std::string> longForm;
        std::vector<std::string> shortForm;
        bool common = header[0] == '*';
        std::string text = common ? header.substr(1) : header;
        std::string node;
        bool optional = false;
        auto flush = [&] {
            if (node.empty())
                return;
            longForm.push_back(node);
            std::string shortNode;
            for (char ch : node)
                if (!std::islower(static_cast<unsigned char>(ch)))
                    shortNode += ch;
                else
                    break;
            if (!optional)
                shortForm.push_back(shortNode);
            node.clear();
        };
        for (char ch : text) {
            if (ch == '[' || ch == ']' || ch == ':') {
                flush();
                if (ch != ':')
                    optional = ch == '[';
            } else {
                node += ch;
            }
        }
        flush();
        auto find = [common](const std::vector<std::string>& nodes) {
            std::vector<std::string_view> views(nodes.begin(), nodes.end());
            return scpi::findCommand(common, views);
        };
        const scpi::Command* byLong = find(longForm);
        ASSERT_NE(byLong, nullptr) << header;
        EXPECT_EQ(find(shortForm), byLong) << header;
        EXPECT_EQ(byLong->nodes.size(), longForm.size()) << header;
    }
}

} // namespace
