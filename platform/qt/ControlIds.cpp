#include "platform/qt/ControlIds.h"

#include <QVariant>
#include <QWidget>

namespace platform {

void setControlId(QWidget* control, int id) {
    control->setProperty(ControlIdProperty, id);
}

int controlId(const QWidget* control) {
    QVariant v = control->property(ControlIdProperty);
    bool ok = false;
    int id = v.toInt(&ok);
    return v.isValid() && ok ? id : -1;
}

QWidget* controlById(QWidget* dialog, int id) {
    if (!dialog)
        return nullptr;
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* w : children)
        if (controlId(w) == id)
            return w;
    return nullptr;
}

} // namespace platform
