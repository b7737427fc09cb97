#include "platform/FileFilters.h"

namespace platform {

std::vector<FileFilter> parseFileFilters(const std::string& filters) {
    std::vector<FileFilter> out;
    std::vector<std::string> parts;
    std::string cur;
    for (char c : filters) {
        if (c == '|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty())
        parts.push_back(cur);
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty())
            break;
        out.push_back({parts[i], parts[i + 1]});
    }
    return out;
}

std::string qtNameFilter(const FileFilter& filter) {
    std::string patterns = filter.pattern;
    for (char& c : patterns)
        if (c == ';')
            c = ' ';
    const std::string tail = "(" + patterns + ")";
    const std::string& label = filter.label;
    if (label.size() >= tail.size() &&
        label.compare(label.size() - tail.size(), tail.size(), tail) == 0)
        return label;
    return label + " " + tail;
}

} // namespace platform
