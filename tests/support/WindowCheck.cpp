#include "support/WindowCheck.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>

#include <utility>

namespace windowcheck {

namespace {

// What the text shows on screen: without the "&" that marks a mnemonic.
QString shown(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove('&');
    text.replace(QChar(1), '&');
    return text;
}

QSize textSize(const QWidget* w, const QString& text) {
    return w->fontMetrics().size(Qt::TextShowMnemonic, text);
}

std::string describe(const QWidget* w, const QString& text, QSize needs, QSize has) {
    return std::string(w->metaObject()->className()) + " \"" + text.toStdString() + "\": needs " +
           std::to_string(needs.width()) + " x " + std::to_string(needs.height()) + ", has " +
           std::to_string(has.width()) + " x " + std::to_string(has.height());
}

// The room a button's style leaves for its text (beside its box or icon).
QRect buttonTextRoom(const QAbstractButton* b) {
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    option.icon = b->icon();
    option.iconSize = b->iconSize();
    if (qobject_cast<const QCheckBox*>(b))
        return b->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, b);
    if (qobject_cast<const QRadioButton*>(b))
        return b->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, b);
    QRect r = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
    if (!b->icon().isNull())
        r.setLeft(r.left() + b->iconSize().width() + 4);
    return r;
}

bool fits(QSize needs, QSize has) {
    return needs.width() <= has.width() && needs.height() <= has.height();
}

} // namespace

std::vector<std::string> textsCutOff(const QWidget* window) {
    std::vector<std::string> cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window)
            continue;
        if (auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull())
                continue;
            const QSize needs =
                label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text())
                    ? textSize(label, shown(label->text()))
                    : label->sizeHint();
            const QSize has = label->contentsRect().size();
            if (!fits(needs, has))
                cut.push_back(describe(label, label->text(), needs, has));
        } else if (auto* button = qobject_cast<const QAbstractButton*>(w)) {
            if (button->text().isEmpty())
                continue;
            const QSize needs = textSize(button, shown(button->text()));
            const QSize has = buttonTextRoom(button).size();
            if (!fits(needs, has))
                cut.push_back(describe(button, button->text(), needs, has));
        } else if (auto* group = qobject_cast<const QGroupBox*>(w)) {
            if (group->title().isEmpty())
                continue;
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel;
            option.lineWidth = 1;
            const QRect room = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                              QStyle::SC_GroupBoxLabel, group) &
                               group->rect();
            const QSize needs = textSize(group, shown(group->title()));
            if (!fits(needs, room.size()))
                cut.push_back(describe(group, group->title(), needs, room.size()));
        } else if (auto* tabs = qobject_cast<const QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                const QSize needs = textSize(tabs, shown(tabs->tabText(i)));
                const QSize has = tabs->tabRect(i).size();
                if (!fits(needs, has))
                    cut.push_back(describe(tabs, tabs->tabText(i), needs, has));
            }
        }
    }
    return cut;
}

std::vector<std::string> unnamedControls(const QWidget* window) {
    std::vector<std::string> unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->focusPolicy() == Qt::NoFocus ||
            w->focusProxy() != nullptr)
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        const std::string who =
            std::string(w->metaObject()->className()) + " " + w->objectName().toStdString();
        if (!a) {
            unnamed.push_back(who + ": no name");
            continue;
        }
        // A tab bar is read out tab by tab: each tab is the control there.
        std::vector<std::pair<QAccessibleInterface*, std::string>> parts{{a, who}};
        if (qobject_cast<const QTabBar*>(w)) {
            parts.clear();
            for (int i = 0; i < a->childCount(); ++i)
                if (a->child(i)->role() == QAccessible::PageTab)
                    parts.push_back({a->child(i), who + " tab " + std::to_string(i)});
        }
        for (const auto& [part, name] : parts) {
            if (part->text(QAccessible::Name).trimmed().isEmpty())
                unnamed.push_back(name + ": no name");
            else if (part->text(QAccessible::Description).trimmed().isEmpty())
                unnamed.push_back(name + ": no description");
        }
    }
    return unnamed;
}

} // namespace windowcheck
