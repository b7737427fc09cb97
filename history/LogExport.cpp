#include "history/LogExport.h"

#include "history/TimeText.h"
#include "logs/MeasurementLog.h"
#include "platform/Files.h"

#include <charconv>
#include <system_error>

namespace history {

namespace {

// The shortest text that reads back as the same double.
void appendNumber(std::string& out, double v) {
    char buf[32];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, ec == std::errc() ? p : buf);
}

} // namespace

std::string csvText(const HistoryStore& store, double t0Ms, double t1Ms, CsvForm form) {
    std::string out;
    if (form == CsvForm::Iso)
        out += "time,voltage_V,current_A,power_W,state,voltage_setpoint_V,current_setpoint_A,"
               "gap_before\r\n";
    const std::size_t first = store.lowerBound(t0Ms);
    for (std::size_t i = first; i < store.size(); ++i) {
        const Sample s = store.at(i);
        if (static_cast<double>(s.timeMs) > t1Ms)
            break;
        const char* state = MeasurementLog::stateText(s.outputOn, s.constantCurrent);
        if (form == CsvForm::MeasurementLog) {
            MeasurementReading r{s.voltageSetpoint, s.currentSetpoint, s.volts, s.amps,
                                 s.constantCurrent, s.outputOn};
            out += MeasurementLog::formatLine(platform::toLocalTime(floorSeconds(s.stampMs)), r);
            continue;
        }
        out += isoTime(s.stampMs);
        for (double v : {s.volts, s.amps, s.watts}) {
            out += ',';
            appendNumber(out, v);
        }
        out += ',';
        out += state;
        for (double v : {s.voltageSetpoint, s.currentSetpoint}) {
            out += ',';
            appendNumber(out, v);
        }
        // The first reading exported has nothing before it in the file.
        out += s.runStart && i != first ? ",1\r\n" : ",0\r\n";
    }
    return out;
}

bool anyReadingIn(const HistoryStore& store, double t0Ms, double t1Ms) {
    const std::size_t first = store.lowerBound(t0Ms);
    return first < store.size() && static_cast<double>(store.timeAt(first)) <= t1Ms;
}

ExportResult exportCsv(const HistoryStore& store, double t0Ms, double t1Ms, CsvForm form,
                       const std::string& path) {
    if (!anyReadingIn(store, t0Ms, t1Ms))
        return ExportResult::NothingToWrite;
    return platform::replaceFile(path, csvText(store, t0Ms, t1Ms, form))
               ? ExportResult::Written
               : ExportResult::WriteFailed;
}

} // namespace history
