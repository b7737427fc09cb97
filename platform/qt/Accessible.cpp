#include "platform/qt/Accessible.h"

#include <QWidget>

namespace platform {

void describe(QWidget* control, const char* description, const char* name) {
    if (name)
        control->setAccessibleName(QString::fromUtf8(name));
    control->setAccessibleDescription(QString::fromUtf8(description));
}

} // namespace platform
