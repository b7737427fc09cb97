#include "scpi/Commands.h"

#include "scpi/Format.h"
#include "scpi/Parameters.h"
#include "scpi/Syntax.h"
#include "session/Protections.h"
#include "session/SetpointRules.h"

#include <cmath>

namespace scpi {

namespace {

// --- the ranges the language checks before the instrument sees a value ---

constexpr Limits VoltsRange{0.0, SetpointRules::MaxVolts, 0.0};
constexpr Limits AmpsRange{0.0, SetpointRules::MaxAmps, 0.0};
// A protection's default level is its quantity's limit, where it never trips by itself.
constexpr Limits OverVoltageRange{0.0, SetpointRules::MaxVolts, SetpointRules::MaxVolts};
constexpr Limits OverCurrentRange{0.0, SetpointRules::MaxAmps, SetpointRules::MaxAmps};
constexpr Limits OverPowerRange{0.0, 6.0, 6.0};
constexpr Limits DelayRange{0.0, session::Protections::MaxDelaySeconds, 0.0};
// A step shorter than a set command's own time on the line cannot be kept.
constexpr Limits DwellRange{0.1, 1e6, 1.0};
constexpr Limits CountRange{1.0, 1e6, 1.0};
constexpr Limits RegisterRange{0.0, 255.0, 0.0};

// The answer to LIST:COUNt? for an endless list: the language's infinity.
constexpr const char* Infinity = "9.9E37";

Error fromResult(Call& c, InstrumentResult r) {
    switch (r) {
    case InstrumentResult::Ok:
        return Error::None;
    case InstrumentResult::OutOfRange:
        return Error::DataOutOfRange;
    case InstrumentResult::SettingsConflict:
        return Error::SettingsConflict;
    case InstrumentResult::Refused:
        c.detail = "refused in the present state";
        return Error::SettingsConflict;
    case InstrumentResult::DeviceFailure:
        return Error::Hardware;
    case InstrumentResult::NoDevice:
        return Error::HardwareMissing;
    case InstrumentResult::NotAvailable:
        c.detail = "not available in this version";
        return Error::SettingsConflict;
    }
    return Error::Hardware;
}

std::string flag(bool on) {
    return on ? "1" : "0";
}

Error answer(Call& c, std::string text) {
    c.answer = std::move(text);
    return Error::None;
}

// --- numeric settings: a value with its unit and range, MIN|MAX|DEF in the query too ---

struct Setting {
    Quantity quantity;
    const Limits& limits;
    int decimals;
    InstrumentResult (*read)(Instrument&, double&);
    InstrumentResult (*write)(Instrument&, double);
};

template <const Setting& S> Error setSetting(Call& c) {
    double value = 0.0;
    if (Error e = readSetting(c.parameters[0], S.quantity, S.limits, value); e != Error::None)
        return e;
    return fromResult(c, S.write(c.instrument, value));
}

template <const Setting& S> Error querySetting(Call& c) {
    double value = 0.0;
    if (!c.parameters.empty()) {
        if (dataKindOf(c.parameters[0]) != DataKind::Character ||
            !readLimitKeyword(c.parameters[0], S.limits, value))
            return Error::DataType;
    } else if (Error e = fromResult(c, S.read(c.instrument, value)); e != Error::None) {
        return e;
    }
    return answer(c, fixed(value, S.decimals));
}

// One set-point changes, the other is kept.
template <bool Volts> InstrumentResult readSetpoint(Instrument& i, double& out) {
    double v = 0.0;
    double a = 0.0;
    InstrumentResult r = i.setpoints(v, a);
    out = Volts ? v : a;
    return r;
}

template <bool Volts> InstrumentResult writeSetpoint(Instrument& i, double value) {
    double v = 0.0;
    double a = 0.0;
    if (InstrumentResult r = i.setpoints(v, a); r != InstrumentResult::Ok)
        return r;
    (Volts ? v : a) = value;
    return i.applySetpoints(v, a);
}

template <ProtectionKind Kind, typename Field, Field Protection::*Member>
InstrumentResult readProtection(Instrument& i, Field& out) {
    Protection p;
    InstrumentResult r = i.protection(Kind, p);
    out = p.*Member;
    return r;
}

// Changes one field of a protection and hands the whole back.
template <ProtectionKind Kind, typename Field, Field Protection::*Member>
InstrumentResult writeProtection(Instrument& i, Field value) {
    Protection p;
    if (InstrumentResult r = i.protection(Kind, p); r != InstrumentResult::Ok)
        return r;
    p.*Member = value;
    return i.setProtection(Kind, p);
}

constexpr Setting VoltageSetpoint{Quantity::Volts, VoltsRange, 2, readSetpoint<true>,
                                  writeSetpoint<true>};
constexpr Setting CurrentSetpoint{Quantity::Amps, AmpsRange, 3, readSetpoint<false>,
                                  writeSetpoint<false>};

template <ProtectionKind Kind>
constexpr Setting ProtectionLevel{Kind == ProtectionKind::Voltage   ? Quantity::Volts
                                  : Kind == ProtectionKind::Current ? Quantity::Amps
                                                                    : Quantity::Watts,
                                  Kind == ProtectionKind::Voltage   ? OverVoltageRange
                                  : Kind == ProtectionKind::Current ? OverCurrentRange
                                                                    : OverPowerRange,
                                  Kind == ProtectionKind::Voltage ? 2 : 3,
                                  readProtection<Kind, double, &Protection::level>,
                                  writeProtection<Kind, double, &Protection::level>};

constexpr auto CurrentKind = ProtectionKind::Current;
constexpr Setting CurrentProtectionDelay{
    Quantity::Seconds, DelayRange, 3,
    readProtection<CurrentKind, double, &Protection::delaySeconds>,
    writeProtection<CurrentKind, double, &Protection::delaySeconds>};

// --- switches: ON|OFF|1|0, answered 1 or 0 ---

struct Switch {
    InstrumentResult (*read)(Instrument&, bool&);
    InstrumentResult (*write)(Instrument&, bool);
};

template <const Switch& S> Error setSwitch(Call& c) {
    bool on = false;
    if (Error e = readBoolean(c.parameters[0], on); e != Error::None)
        return e;
    return fromResult(c, S.write(c.instrument, on));
}

template <const Switch& S> Error querySwitch(Call& c) {
    bool on = false;
    if (Error e = fromResult(c, S.read(c.instrument, on)); e != Error::None)
        return e;
    return answer(c, flag(on));
}

constexpr Switch Output{[](Instrument& i, bool& on) { return i.output(on); },
                        [](Instrument& i, bool on) { return i.setOutput(on); }};
template <ProtectionKind Kind>
constexpr Switch ProtectionState{readProtection<Kind, bool, &Protection::enabled>,
                                 writeProtection<Kind, bool, &Protection::enabled>};
template <ProtectionKind Kind>
constexpr Switch ProtectionTripped{readProtection<Kind, bool, &Protection::tripped>, nullptr};

// --- IEEE 488.2 common commands ---

// *IDN? fields hold no separators or control bytes, whatever the device reported.
std::string idnField(const std::string& text) {
    std::string out;
    for (char ch : text) {
        auto u = static_cast<unsigned char>(ch);
        out +=
            (u < 0x20 || u >= 0x7F || ch == ',' || ch == ';' || ch == '"' || ch == '\'') ? '_' : ch;
    }
    return out;
}

Error identify(Call& c) {
    Identity id;
    if (Error e = fromResult(c, c.instrument.identify(id)); e != Error::None)
        return e;
    std::string serial = idnField(id.serial);
    return answer(c, "Quorel," + idnField(id.model) + "," + (serial.empty() ? "0" : serial) + "," +
                         idnField(id.firmware));
}

template <std::uint8_t ClientState::*Register> Error setRegister(Call& c) {
    double value = 0.0;
    if (Error e = readSetting(c.parameters[0], Quantity::Plain, RegisterRange, value);
        e != Error::None)
        return e;
    c.client.*Register = static_cast<std::uint8_t>(std::lround(value));
    // The service request bit summarises the others and cannot enable itself.
    c.client.serviceEnable &= static_cast<std::uint8_t>(~(1u << StatusBit::RequestService));
    return Error::None;
}

template <std::uint8_t ClientState::*Register> Error queryRegister(Call& c) {
    return answer(c, std::to_string(c.client.*Register));
}

Error queryEventStatus(Call& c) {
    answer(c, std::to_string(c.client.eventStatus));
    c.client.eventStatus = 0;
    return Error::None;
}

Error queryStatusByte(Call& c) {
    return answer(c, std::to_string(c.client.statusByte()));
}

Error clearStatus(Call& c) {
    c.client.clear();
    return Error::None;
}

// Every command has completed when the next one is read, so *OPC completes at once.
Error operationComplete(Call& c) {
    c.client.setEvent(Event::OperationComplete);
    return Error::None;
}

constexpr char One[] = "1";
constexpr char Zero[] = "0";
constexpr char Version[] = "1999.0";
template <const char* Text> Error constant(Call& c) {
    return answer(c, Text);
}

Error nothing(Call&) {
    return Error::None;
}

template <InstrumentResult (Instrument::*Action)()> Error act(Call& c) {
    return fromResult(c, (c.instrument.*Action)());
}

// --- readings and state ---

Error nextError(Call& c) {
    return answer(c, formatErrorEntry(c.client.errors.pop()));
}

// The answer from the last poll's reading, or with Fresh from a new one.
template <bool Fresh, std::string (*Of)(const DeviceStatus&)> Error reading(Call& c) {
    DeviceStatus s;
    if (Error e = fromResult(c, Fresh ? c.instrument.measure(s) : c.instrument.lastReading(s));
        e != Error::None)
        return e;
    return answer(c, Of(s));
}

std::string voltageOf(const DeviceStatus& s) {
    return volts(s.voltage);
}
std::string currentOf(const DeviceStatus& s) {
    return amps(s.current);
}
std::string powerOf(const DeviceStatus& s) {
    return watts(s.voltage * s.current);
}
std::string sourceOf(const DeviceStatus& s) {
    return s.source == PowerSource::UsbHost     ? "USB"
           : s.source == PowerSource::AcAdapter ? "ADAPTER"
                                                : "IDLE";
}
std::string capacityOf(const DeviceStatus& s) {
    return watts(SetpointRules::powerCapacity(s.source));
}
std::string modeOf(const DeviceStatus& s) {
    return !s.outputOn ? "OFF" : s.constantCurrent ? "CC" : "CV";
}
// Bits of the operation condition register, as common supplies report regulation.
constexpr int ConstantVoltageBit = 8;
constexpr int ConstantCurrentBit = 10;
std::string conditionOf(const DeviceStatus& s) {
    return std::to_string(
        s.outputOn ? 1 << (s.constantCurrent ? ConstantCurrentBit : ConstantVoltageBit) : 0);
}

Error apply(Call& c) {
    double v = 0.0;
    double a = 0.0;
    if (Error e = readSetting(c.parameters[0], Quantity::Volts, VoltsRange, v); e != Error::None)
        return e;
    if (Error e = readSetting(c.parameters[1], Quantity::Amps, AmpsRange, a); e != Error::None)
        return e;
    return fromResult(c, c.instrument.applySetpoints(v, a));
}

Error queryApply(Call& c) {
    double v = 0.0;
    double a = 0.0;
    if (Error e = fromResult(c, c.instrument.setpoints(v, a)); e != Error::None)
        return e;
    return answer(c, volts(v) + "," + amps(a));
}

template <ProtectionKind Kind> Error clearProtection(Call& c) {
    return fromResult(c, c.instrument.clearProtection(Kind));
}

template <double Counters::*Field, int Decimals> Error counter(Call& c) {
    Counters n;
    if (Error e = fromResult(c, c.instrument.counters(n)); e != Error::None)
        return e;
    return answer(c, fixed(n.*Field, Decimals));
}

// --- sequences ---

struct ListKind {
    std::vector<double> ListSequence::*values;
    Quantity quantity;
    const Limits& limits;
    int decimals;
};

constexpr ListKind VoltsList{&ListSequence::volts, Quantity::Volts, VoltsRange, 2};
constexpr ListKind AmpsList{&ListSequence::amps, Quantity::Amps, AmpsRange, 3};
constexpr ListKind DwellList{&ListSequence::dwellSeconds, Quantity::Seconds, DwellRange, 3};

// Changes the sequence as `change` says and hands the whole back.
template <typename Change> Error changeSequence(Call& c, Change change) {
    ListSequence s;
    if (Error e = fromResult(c, c.instrument.sequence(s)); e != Error::None)
        return e;
    change(s);
    return fromResult(c, c.instrument.setSequence(s));
}

template <const ListKind& Kind> Error setList(Call& c) {
    if (c.parameters.size() > MaxListPoints)
        return Error::TooMuchData;
    std::vector<double> values;
    values.reserve(c.parameters.size());
    for (std::string_view p : c.parameters) {
        double v = 0.0;
        if (Error e = readSetting(p, Kind.quantity, Kind.limits, v); e != Error::None)
            return e;
        values.push_back(v);
    }
    return changeSequence(c, [&values](ListSequence& s) { s.*Kind.values = std::move(values); });
}

template <const ListKind& Kind> Error queryList(Call& c) {
    ListSequence s;
    if (Error e = fromResult(c, c.instrument.sequence(s)); e != Error::None)
        return e;
    if ((s.*Kind.values).empty()) {
        c.detail = "list empty";
        return Error::SettingsConflict;
    }
    for (std::size_t i = 0; i < (s.*Kind.values).size(); ++i)
        c.answer += (i ? "," : "") + fixed((s.*Kind.values)[i], Kind.decimals);
    return Error::None;
}

Error setListCount(Call& c) {
    unsigned count = ListSequence::Endless;
    if (!isKeyword(c.parameters[0], "INFinity")) {
        double value = 0.0;
        if (Error e = readSetting(c.parameters[0], Quantity::Plain, CountRange, value);
            e != Error::None)
            return e;
        count = static_cast<unsigned>(std::lround(value));
    }
    return changeSequence(c, [count](ListSequence& s) { s.count = count; });
}

Error queryListCount(Call& c) {
    ListSequence s;
    if (Error e = fromResult(c, c.instrument.sequence(s)); e != Error::None)
        return e;
    return answer(c, s.count == ListSequence::Endless ? Infinity : std::to_string(s.count));
}

Error initiate(Call& c) {
    int refused = 0;
    Error e = fromResult(c, c.instrument.initiate(refused));
    if (e != Error::None && refused > 0)
        c.detail = "step " + std::to_string(refused);
    return e;
}

Error queryStep(Call& c) {
    int step = 0;
    if (Error e = fromResult(c, c.instrument.runningStep(step)); e != Error::None)
        return e;
    return answer(c, std::to_string(step));
}

// --- the table ---

constexpr Arity None{0, 0};
constexpr Arity OneValue{1, 1};
constexpr Arity TwoValues{2, 2};
constexpr Arity LimitKeyword{0, 1}; // a query's optional MIN|MAX|DEF
constexpr Arity Values{1, static_cast<std::size_t>(-1)};

struct Row {
    const char* header;
    Handler set;
    Handler query;
    Arity setArity = OneValue;
    Arity queryArity = None;
};

constexpr auto V = ProtectionKind::Voltage;
constexpr auto I = ProtectionKind::Current;
constexpr auto P = ProtectionKind::Power;

const Row Rows[] = {
    {"*IDN", nullptr, identify},
    {"*RST", act<&Instrument::reset>, nullptr, None},
    {"*TST", nullptr, constant<Zero>},
    {"*CLS", clearStatus, nullptr, None},
    {"*ESR", nullptr, queryEventStatus},
    {"*ESE", setRegister<&ClientState::eventEnable>, queryRegister<&ClientState::eventEnable>},
    {"*STB", nullptr, queryStatusByte},
    {"*SRE", setRegister<&ClientState::serviceEnable>, queryRegister<&ClientState::serviceEnable>},
    {"*OPC", operationComplete, constant<One>, None},
    {"*WAI", nothing, nullptr, None},

    {"SYSTem:ERRor[:NEXT]", nullptr, nextError},
    {"SYSTem:VERSion", nullptr, constant<Version>},
    {"SYSTem:POWer:SOURce", nullptr, reading<false, sourceOf>},
    {"SYSTem:POWer:LIMit", nullptr, reading<false, capacityOf>},

    {"[SOURce:]VOLTage[:LEVel][:IMMediate][:AMPLitude]", setSetting<VoltageSetpoint>,
     querySetting<VoltageSetpoint>, OneValue, LimitKeyword},
    {"[SOURce:]CURRent[:LEVel][:IMMediate][:AMPLitude]", setSetting<CurrentSetpoint>,
     querySetting<CurrentSetpoint>, OneValue, LimitKeyword},
    {"APPLy", apply, queryApply, TwoValues},
    {"OUTPut[:STATe]", setSwitch<Output>, querySwitch<Output>},
    {"OUTPut:MODE", nullptr, reading<false, modeOf>},
    {"STATus:OPERation:CONDition", nullptr, reading<false, conditionOf>},

    {"MEASure[:SCALar]:VOLTage[:DC]", nullptr, reading<true, voltageOf>},
    {"MEASure[:SCALar]:CURRent[:DC]", nullptr, reading<true, currentOf>},
    {"MEASure[:SCALar]:POWer[:DC]", nullptr, reading<true, powerOf>},
    {"FETCh[:SCALar]:VOLTage[:DC]", nullptr, reading<false, voltageOf>},
    {"FETCh[:SCALar]:CURRent[:DC]", nullptr, reading<false, currentOf>},
    {"FETCh[:SCALar]:POWer[:DC]", nullptr, reading<false, powerOf>},

    {"[SOURce:]VOLTage:PROTection[:LEVel]", setSetting<ProtectionLevel<V>>,
     querySetting<ProtectionLevel<V>>, OneValue, LimitKeyword},
    {"[SOURce:]VOLTage:PROTection:STATe", setSwitch<ProtectionState<V>>,
     querySwitch<ProtectionState<V>>},
    {"[SOURce:]VOLTage:PROTection:TRIPped", nullptr, querySwitch<ProtectionTripped<V>>},
    {"[SOURce:]VOLTage:PROTection:CLEar", clearProtection<V>, nullptr, None},
    {"[SOURce:]CURRent:PROTection[:LEVel]", setSetting<ProtectionLevel<I>>,
     querySetting<ProtectionLevel<I>>, OneValue, LimitKeyword},
    {"[SOURce:]CURRent:PROTection:STATe", setSwitch<ProtectionState<I>>,
     querySwitch<ProtectionState<I>>},
    {"[SOURce:]CURRent:PROTection:DELay", setSetting<CurrentProtectionDelay>,
     querySetting<CurrentProtectionDelay>, OneValue, LimitKeyword},
    {"[SOURce:]CURRent:PROTection:TRIPped", nullptr, querySwitch<ProtectionTripped<I>>},
    {"[SOURce:]CURRent:PROTection:CLEar", clearProtection<I>, nullptr, None},
    {"[SOURce:]POWer:PROTection[:LEVel]", setSetting<ProtectionLevel<P>>,
     querySetting<ProtectionLevel<P>>, OneValue, LimitKeyword},
    {"[SOURce:]POWer:PROTection:STATe", setSwitch<ProtectionState<P>>,
     querySwitch<ProtectionState<P>>},
    {"[SOURce:]POWer:PROTection:TRIPped", nullptr, querySwitch<ProtectionTripped<P>>},
    {"[SOURce:]POWer:PROTection:CLEar", clearProtection<P>, nullptr, None},

    {"ACCumulator:CHARge", nullptr, counter<&Counters::chargeAh, 6>},
    {"ACCumulator:ENERgy", nullptr, counter<&Counters::energyWh, 6>},
    {"ACCumulator:TIME", nullptr, counter<&Counters::outputOnSeconds, 3>},
    {"ACCumulator:RESet", act<&Instrument::resetCounters>, nullptr, None},

    {"[SOURce:]LIST:VOLTage", setList<VoltsList>, queryList<VoltsList>, Values},
    {"[SOURce:]LIST:CURRent", setList<AmpsList>, queryList<AmpsList>, Values},
    {"[SOURce:]LIST:DWELl", setList<DwellList>, queryList<DwellList>, Values},
    {"[SOURce:]LIST:COUNt", setListCount, queryListCount},
    {"[SOURce:]LIST:STEP", nullptr, queryStep},
    {"INITiate[:IMMediate]", initiate, nullptr, None},
    {"ABORt", act<&Instrument::abort>, nullptr, None},
};

// "[SOURce:]VOLTage[:LEVel]" as nodes; "*IDN" as the one node IDN.
Command compile(const Row& row) {
    Command c{false, {}, row.set, row.query, row.setArity, row.queryArity};
    std::string_view text = row.header;
    if (text.front() == '*') {
        c.common = true;
        text.remove_prefix(1);
    }
    while (!text.empty()) {
        bool optional = text.front() == '[';
        std::size_t end = optional ? text.find(']') : text.find_first_of(":[");
        std::string_view node = text.substr(optional ? 1 : 0, optional ? end - 1 : end);
        while (!node.empty() && node.front() == ':')
            node.remove_prefix(1);
        while (!node.empty() && node.back() == ':')
            node.remove_suffix(1);
        c.nodes.push_back({node, optional});
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + (optional ? 1 : 0));
        if (!text.empty() && text.front() == ':')
            text.remove_prefix(1);
    }
    return c;
}

const std::vector<Command>& table() {
    static const std::vector<Command> commands = [] {
        std::vector<Command> out;
        for (const Row& row : Rows)
            out.push_back(compile(row));
        return out;
    }();
    return commands;
}

bool matchFrom(const std::vector<HeaderNode>& header, std::size_t h,
               const std::vector<std::string_view>& typed, std::size_t t) {
    if (t == typed.size()) {
        for (; h < header.size(); ++h)
            if (!header[h].optional)
                return false;
        return true;
    }
    if (h == header.size())
        return false;
    if (mnemonicMatches(typed[t], header[h].mnemonic) && matchFrom(header, h + 1, typed, t + 1))
        return true;
    return header[h].optional && matchFrom(header, h + 1, typed, t);
}

} // namespace

bool headerMatches(const std::vector<HeaderNode>& header,
                   const std::vector<std::string_view>& typed) {
    return typed.size() <= header.size() && matchFrom(header, 0, typed, 0);
}

const Command* findCommand(bool common, const std::vector<std::string_view>& nodes) {
    for (const Command& c : table())
        if (c.common == common && headerMatches(c.nodes, nodes))
            return &c;
    return nullptr;
}

std::vector<std::string> commandHeaders() {
    std::vector<std::string> out;
    for (const Row& row : Rows)
        out.emplace_back(row.header);
    return out;
}

} // namespace scpi
