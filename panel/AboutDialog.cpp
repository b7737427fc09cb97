#include "panel/AboutDialog.h"

#include "panel/DialogUnits.h"
#include "platform/qt/ControlIds.h"
#include "resources/Texts.h"
#include "resources/ui/Images.h"

#include <QLabel>
#include <QPushButton>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(texts::AboutCaption.c_str()));
    setWindowIcon(images::appIcon());
    DialogUnits du(font());
    setFixedSize(du.size(199, 77));

    auto* icon = new QLabel(this);
    icon->setPixmap(images::appIcon().pixmap(32, 32));
    icon->setGeometry(du.rect(8, 8, 21, 20));

    const char* lines[] = {texts::AboutVersion, texts::AboutLine1, texts::AboutLine2,
                           texts::AboutLine3,   texts::AboutLine4, texts::AboutLine5};
    int y = 8;
    for (const char* line : lines) {
        auto* label = new QLabel(QString::fromUtf8(line), this);
        label->setGeometry(du.rect(36, y, 120, 8));
        y += 10;
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    platform::setControlId(ok, 1);
    ok->setGeometry(du.rect(160, 8, 32, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
