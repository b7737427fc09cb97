#pragma once

#include <string>

class QWidget;

// What the pages' save and export commands do with the file the operator chose: a name that
// is no regular file (a folder, a FIFO, a device, a file marked read-only) is refused before
// anything is prepared, and a file that exists is replaced only when the operator says so.
enum class FileChoice {
    Write,   // a new file, or the operator agreed to replace it
    Kept,    // the operator kept the file
    Refused, // nothing may be written there
};
FileChoice askBeforeReplacing(QWidget* parent, const std::string& path);
