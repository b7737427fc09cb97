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

// The readings in [t0, t1] as CSV text, lines ending in CR LF.
std::string csvText(const HistoryStore& store, double t0Ms, double t1Ms, CsvForm form);
// Writes them to a file, replacing it; a failed write leaves no partial file behind.
ExportResult exportCsv(const HistoryStore& store, double t0Ms, double t1Ms, CsvForm form,
                       const std::string& path);
// Writes bytes to a file through a temporary beside it.
bool writeFileReplacing(const std::string& path, const std::string& bytes);

} // namespace history
