#pragma once

class QWidget;

namespace platform {

// What a screen reader says of a control: what it does, and a name for a control that has
// no text or label of its own to be named by (nullptr keeps the name it has).
void describe(QWidget* control, const char* description, const char* name = nullptr);

} // namespace platform
