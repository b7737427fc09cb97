#include "history/LogExport.h"

#include "history/TimeText.h"
#include "logs/MeasurementLog.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
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
            out += MeasurementLog::formatLine(platform::toLocalTime(floorSeconds(s.timeMs)), r);
            continue;
        }
        out += isoTime(s.timeMs);
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

bool writeFileReplacing(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    std::error_code ec;
    if (!written || !closed) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

ExportResult exportCsv(const HistoryStore& store, double t0Ms, double t1Ms, CsvForm form,
                       const std::string& path) {
    if (store.lowerBound(t0Ms) >= store.size() ||
        static_cast<double>(store.timeAt(store.lowerBound(t0Ms))) > t1Ms)
        return ExportResult::NothingToWrite;
    return writeFileReplacing(path, csvText(store, t0Ms, t1Ms, form)) ? ExportResult::Written
                                                                      : ExportResult::WriteFailed;
}

} // namespace history
