#pragma once

#include <string>
#include <vector>

namespace platform {

// One file-type filter in the system's notation: "CSV(*.csv)" with the pattern "*.csv".
struct FileFilter {
    std::string label;
    std::string pattern;
};

// Splits a filter string such as "CSV(*.csv)|*.csv|全て(*.*)|*.*||" into its pairs.
std::vector<FileFilter> parseFileFilters(const std::string& filters);

// One filter in Qt's notation, "label (patterns)" with the patterns apart by blanks. A label
// that already ends in its patterns in parentheses, as "CSV(*.csv)" does, is used as it is,
// so that the chooser does not show them twice.
std::string qtNameFilter(const FileFilter& filter);

} // namespace platform
