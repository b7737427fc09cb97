#include "panel/AboutDialog.h"

#include "platform/qt/Accessible.h"
#include "platform/qt/ControlIds.h"
#include "platform/qt/DialogUnits.h"
#include "resources/Texts.h"
#include "resources/ui/Images.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <vector>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(texts::AboutCaption.c_str()));
    setWindowIcon(images::appIcon());
    DialogUnits du(font());

    auto* icon = new QLabel(this);
    icon->setPixmap(images::appIcon().pixmap(32, 32));
    icon->setGeometry(du.rect(8, 8, 21, 20));

    // The lines beside the OK button have room up to it, the lines below it up to the right
    // edge. A line longer than that (a face wider than the one the layout was drawn for, or
    // a longer language) widens the dialog rather than being cut off.
    const char* lines[] = {texts::AboutVersion, texts::AboutLine1, texts::AboutLine2,
                           texts::AboutLine3,   texts::AboutLine4, texts::AboutLine5};
    constexpr int Left = 36, ButtonLeft = 160, ButtonBottom = 22, Right = 192;
    int widen = 0;
    std::vector<QLabel*> labels;
    int y = 8;
    for (const char* line : lines) {
        auto* label = new QLabel(QString::fromUtf8(line), this);
        const bool besideButton = y < ButtonBottom;
        const int room = du.x((besideButton ? ButtonLeft - 4 : Right) - Left);
        const int needs = label->fontMetrics().horizontalAdvance(label->text()) + 1;
        widen = std::max(widen, needs - room);
        label->setGeometry(du.x(Left), du.y(y), room, du.y(8));
        labels.push_back(label);
        y += 10;
    }
    for (QLabel* label : labels)
        label->resize(label->width() + widen, label->height());
    setFixedSize(du.x(199) + widen, du.y(77));

    auto* ok = new QPushButton(QString::fromUtf8(texts::SettingsOk.c_str()), this);
    platform::setControlId(ok, 1);
    ok->setGeometry(du.rect(ButtonLeft, 8, 32, 14).translated(widen, 0));
    ok->setDefault(true);
    platform::describe(ok, texts::A11yAboutOkHelp);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
