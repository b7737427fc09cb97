#include "platform/qt/Prompter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace platform {

namespace {

QString qtFilters(const std::string& filters) {
    QStringList list;
    for (const auto& f : parseFileFilters(filters))
        list << QString::fromStdString(qtNameFilter(f));
    return list.join(";;");
}

class QtPrompter : public Prompter {
public:
    PromptAnswer messageBox(QWidget* parent, const std::string& text, const std::string& caption,
                            PromptIcon icon, PromptButtons buttons) override {
        QMessageBox box(parent);
        box.setWindowTitle(QString::fromStdString(caption));
        box.setText(QString::fromStdString(text));
        switch (icon) {
        case PromptIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case PromptIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case PromptIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case PromptIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case PromptIcon::None:
            break;
        }
        switch (buttons) {
        case PromptButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case PromptButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case PromptButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok:
            return PromptAnswer::Ok;
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        default:
            return PromptAnswer::Cancel;
        }
    }

    std::optional<std::string> openFileName(QWidget* parent, const std::string& filters,
                                            const std::string& initialPath) override {
        QString path = QFileDialog::getOpenFileName(
            parent, QString(), QString::fromStdString(initialPath), qtFilters(filters));
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    }

    std::optional<std::string> saveFileName(QWidget* parent, const std::string& filters,
                                            const std::string& initialPath) override {
        QString path = QFileDialog::getSaveFileName(
            parent, QString(), QString::fromStdString(initialPath), qtFilters(filters), nullptr,
            QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    }
};

Prompter*& current() {
    static Prompter* p = nullptr;
    return p;
}
} // namespace

Prompter& prompter() {
    static QtPrompter qt;
    return current() ? *current() : qt;
}

void setPrompter(Prompter* replacement) {
    current() = replacement;
}

} // namespace platform
