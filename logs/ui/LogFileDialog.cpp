#include "logs/ui/LogFileDialog.h"

#include "logs/MeasurementLog.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/ControlIds.h"
#include "platform/qt/Prompter.h"
#include "resources/Texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

namespace {

LogFileChooser& testChooser() {
    static LogFileChooser chooser;
    return chooser;
}

QStringList qtFilters(const char* filters) {
    QStringList list;
    for (const auto& f : platform::parseFileFilters(filters))
        list << QString::fromStdString(platform::qtNameFilter(f));
    return list;
}

} // namespace

LogFileDialog::LogFileDialog(QWidget* parent) : QFileDialog(parent) {
    // Qt's own dialog, so that the extra controls can sit in it.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setDefaultSuffix(QString());
    setNameFilters(qtFilters(texts::FilterCsv));

    intervalList_ = new QComboBox(this);
    for (const char* item : {texts::CsvInterval1s, texts::CsvInterval10s, texts::CsvInterval1m,
                             texts::CsvInterval10m, texts::CsvInterval1h})
        intervalList_->addItem(QString::fromUtf8(item));
    platform::setControlId(intervalList_, IdInterval);
    appendBox_ = new QCheckBox(QString::fromUtf8(texts::CsvAppend.c_str()), this);
    platform::setControlId(appendBox_, IdAppend);

    platform::describe(intervalList_, texts::A11yIntervalHelp);
    platform::describe(appendBox_, texts::A11yAppendHelp);
    // The toolkit's own controls of the chooser, by the names it gives them.
    const std::pair<const char*, const texts::Text*> own[] = {
        {"lookInCombo", &texts::A11yFolderHelp},
        {"treeView", &texts::A11yFilesHelp},
        {"listView", &texts::A11yFilesHelp},
        {"fileNameEdit", &texts::A11yFileNameHelp},
        {"fileTypeCombo", &texts::A11yFileTypeHelp}};
    for (const auto& [name, help] : own)
        if (auto* w = findChild<QWidget*>(name))
            platform::describe(w, *help);
    if (auto* box = findChild<QDialogButtonBox*>("buttonBox")) {
        for (QAbstractButton* b : box->buttons())
            platform::describe(b, box->buttonRole(b) == QDialogButtonBox::AcceptRole
                                      ? texts::A11ySaveLogHelp
                                      : texts::A11yCloseHelp);
    }

    // Below the file list, in the dialog's own grid.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int row = grid->rowCount();
        auto* label = new QLabel(QString::fromUtf8(texts::CsvIntervalLabel.c_str()), this);
        label->setBuddy(intervalList_);
        grid->addWidget(label, row, 0);
        grid->addWidget(intervalList_, row, 1);
        grid->addWidget(appendBox_, row + 1, 1);
    }
}

int LogFileDialog::itemForSeconds(int seconds) {
    for (int i = 0; i < 5; ++i) {
        if (MeasurementLog::Intervals[i] == seconds)
            return i;
    }
    return 0;
}

int LogFileDialog::secondsForItem(int item) {
    return item >= 0 && item < 5 ? MeasurementLog::Intervals[item] : 1;
}

void LogFileDialog::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event);
    intervalList_->setCurrentIndex(itemForSeconds(interval));
    appendBox_->setChecked(append != 0);
}

void LogFileDialog::done(int result) {
    interval = secondsForItem(intervalList_->currentIndex());
    append = appendBox_->isChecked() ? 1 : 0;
    QFileDialog::done(result);
}

std::optional<LogFileChoice> chooseLogFile(QWidget* parent, int interval, bool append) {
    if (testChooser())
        return testChooser()(parent, interval, append);
    LogFileDialog dialog(parent);
    dialog.interval = interval;
    dialog.append = append ? 1 : 0;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return LogFileChoice{dialog.selectedFiles().front().toStdString(), dialog.interval,
                         dialog.append != 0};
}

void setLogFileChooserForTest(LogFileChooser chooser) {
    testChooser() = std::move(chooser);
}
