#pragma once

#include "history/HistoryStore.h"

#include <string>

namespace history {

enum class CsvForm {
    MeasurementLog, // the lines of the measurement log: local time to the second, no header
    Iso,            // a header, ISO 8601 times with milliseconds and the UTC offset, every
                    // value as stored, and the gaps
};

enum class ExportResult { Written, NothingToWrite, WriteFailed };

// The readings in [t0, t1] of the time axis as CSV text, lines ending in CR LF, each with the
// time it was given (a log's clock set back is written as the log had it).
std::string csvText(const HistoryStore& store, double t0Ms, double t1Ms, CsvForm form);
// Whether [t0, t1] holds a reading, so that an export has something to write.
bool anyReadingIn(const HistoryStore& store, double t0Ms, double t1Ms);
// Writes them to a file, replacing it as platform::replaceFile does (a link's target, never
// a FIFO, a device or a folder); a failed write leaves no partial file behind.
ExportResult exportCsv(const HistoryStore& store, double t0Ms, double t1Ms, CsvForm form,
                       const std::string& path);

} // namespace history
