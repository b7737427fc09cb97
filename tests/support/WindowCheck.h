#pragma once

#include <string>
#include <vector>

class QWidget;

// Checks of a shown window that hold in every language.
namespace windowcheck {

// Every label, button, check box, group title and page tab whose text needs more room than
// it has (the text's size in the control's font against the room its style leaves for it),
// as "<class> "<text>": needs W x H, has W x H".
std::vector<std::string> textsCutOff(const QWidget* window);

// Every control that takes the keyboard focus and that a screen reader could not name or
// describe: "<class> <object name>: no name" or "...: no description".
std::vector<std::string> unnamedControls(const QWidget* window);

} // namespace windowcheck
