// One program message line through the instrument language, against the instrument held in
// memory.
//
// Input layout: byte 0 sets the instrument's situation (bits 0-1: the power source; bits 2-3:
// working, device failure, no device, refusing; bit 4: a sequence runs); the rest is the
// line.
//
// Checked on every input:
// - the reply is nothing or one line of printable ASCII ending in its only LF;
// - the set-points held stay within 0..20 V, 0..1 A and the power capacity;
// - the error queue holds at most 16 entries, each a known number with its standard text;
// - the same line on a fresh instrument gives the same reply and the same device actions.
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "session/SetpointRules.h"
#include "scpi/Errors.h"
#include "scpi/Interpreter.h"
#include "simulator/MemoryInstrument.h"

#include <string>

namespace {

constexpr const char* Target = "ScpiLine";

void arrange(sim::MemoryInstrument& m, std::uint8_t situation) {
    m.status.source = static_cast<PowerSource>((situation & 3) % 3);
    constexpr scpi::InstrumentResult Failures[] = {
        scpi::InstrumentResult::Ok, scpi::InstrumentResult::DeviceFailure,
        scpi::InstrumentResult::NoDevice, scpi::InstrumentResult::Refused};
    m.failure = Failures[(situation >> 2) & 3];
    m.step = (situation & 0x10) ? 1 : 0;
}

struct Outcome {
    std::string reply;
    std::vector<std::string> actions;
};

Outcome run(std::uint8_t situation, const std::string& line, bool checkQueue) {
    sim::MemoryInstrument m;
    arrange(m, situation);
    scpi::Interpreter interpreter(m);
    Outcome o{interpreter.execute(line), {}};
    o.actions = m.actions;

    const std::string& r = o.reply;
    if (!r.empty()) {
        FUZZ_CHECK(Target, r.back() == '\n' && r.find('\n') == r.size() - 1,
                   fuzzsupport::escaped(r));
        for (std::size_t i = 0; i + 1 < r.size(); ++i) {
            auto c = static_cast<unsigned char>(r[i]);
            FUZZ_CHECK(Target, c >= 0x20 && c < 0x7F, fuzzsupport::escaped(r));
        }
    }
    const double capacity = SetpointRules::powerCapacity(m.status.source);
    FUZZ_CHECK(Target,
               m.heldVolts >= 0 && m.heldVolts <= 20.0 && m.heldAmps >= 0 && m.heldAmps <= 1.0 &&
                   m.heldVolts * m.heldAmps <= capacity + 1e-9,
               std::to_string(m.heldVolts) + " V " + std::to_string(m.heldAmps) + " A");

    if (checkQueue) {
        int entries = 0;
        for (;;) {
            scpi::ErrorEntry e = interpreter.client().errors.pop();
            if (e.error == scpi::Error::None)
                break;
            ++entries;
            std::string text = scpi::formatErrorEntry(e);
            std::string start =
                std::to_string(static_cast<int>(e.error)) + ",\"" + scpi::errorText(e.error);
            FUZZ_CHECK(Target, text.rfind(start, 0) == 0 && text.back() == '"', text);
            FUZZ_CHECK(Target, std::string(scpi::errorText(e.error)) != "Error", text);
        }
        FUZZ_CHECK(Target, entries <= 16, std::to_string(entries) + " errors queued");
    }
    return o;
}

} // namespace

int fuzzScpiLine(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
    Outcome first = run(data[0], line, true);
    Outcome again = run(data[0], line, false);
    FUZZ_CHECK(Target, first.reply == again.reply && first.actions == again.actions,
               "a second run differs: " + fuzzsupport::escaped(again.reply));
    return 0;
}
