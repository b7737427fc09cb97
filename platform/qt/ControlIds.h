#pragma once

class QWidget;

namespace platform {

// Dialog controls carry the ids of the window layouts, so that handlers and tests can name
// them as the layouts do. The id is kept in the Qt property of this name.
inline constexpr const char* ControlIdProperty = "ctrlId";

void setControlId(QWidget* control, int id);
// The id of a control, or -1 when it has none.
int controlId(const QWidget* control);
// The first control under `dialog` with the id, or nullptr.
QWidget* controlById(QWidget* dialog, int id);

template <class T> T* controlById(QWidget* dialog, int id) {
    return dynamic_cast<T*>(controlById(dialog, id));
}

} // namespace platform
