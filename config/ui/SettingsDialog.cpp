#include "config/ui/SettingsDialog.h"

#include "config/PortList.h"
#include "config/PortScan.h"
#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/ControlIds.h"
#include "platform/qt/Prompter.h"
#include "resources/Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdlib>
#include <map>
#include <optional>

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The widest the port list grows, in characters.
constexpr int MaxPortChars = 100;

const texts::Text spanItems[] = {texts::Span60, texts::Span120, texts::Span180, texts::Span240};

// The item of the span list for a span in seconds; a span the list does not offer shows
// as its first item.
int spanIndex(int seconds) {
    switch (seconds) {
    case 120:
        return 1;
    case 180:
        return 2;
    case 240:
        return 3;
    default:
        return 0;
    }
}

template <class W> W* withId(W* control, int id) {
    platform::setControlId(control, id);
    return control;
}

} // namespace

SettingsDialog::SettingsDialog(Settings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(qs(texts::SettingsCaption));

    comPort_ = withId(new QComboBox, IdComPort);
    comPort_->setMinimumContentsLength(12);
    // A device path is shown whole (a stable USB name runs to 80 characters); only a name
    // longer than any real one is elided, with the whole of it in the tool tip.
    comPort_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    comPort_->setMaximumWidth(comPort_->fontMetrics().averageCharWidth() * MaxPortChars);
    scan_ = withId(new QPushButton(qs(texts::ButtonScan)), IdScan);
    scan_->setAutoDefault(false);
    connectAtStart_ = withId(new QCheckBox(qs(texts::SettingsConnectAtStart)), IdConnectAtStart);
    plotSpan_ = withId(new QComboBox, IdPlotSpan);
    for (const texts::Text& item : spanItems)
        plotSpan_->addItem(qs(item));
    useSysLogFile_ = withId(new QCheckBox(qs(texts::SettingsUseSysLogFile)), IdUseSysLogFile);
    sysLogFileName_ = withId(new QLineEdit, IdSysLogFileName);
    sysLogFileName_->setMinimumWidth(220);
    browse_ = withId(new QPushButton(qs(texts::ButtonBrowse)), IdBrowse);
    browse_->setAutoDefault(false);
    offsetAtt_ = withId(new QCheckBox(qs(texts::SettingsOffsetAtt)), IdOffsetAtt);
    auto* ok = withId(new QPushButton(qs(texts::SettingsOk)), IdOk);
    ok->setDefault(true);
    auto* cancel = withId(new QPushButton(qs(texts::SettingsCancel)), IdCancel);
    cancel->setAutoDefault(false);

    using platform::describe;
    describe(comPort_, texts::A11yPortListHelp);
    describe(scan_, texts::A11yScanHelp);
    describe(connectAtStart_, texts::A11yConnectAtStartHelp);
    describe(plotSpan_, texts::A11ySpanHelp);
    describe(useSysLogFile_, texts::A11yUseSysLogFileHelp);
    describe(sysLogFileName_, texts::A11ySysLogFileHelp);
    describe(browse_, texts::A11yBrowseFileHelp);
    describe(offsetAtt_, texts::A11yOffsetAttHelp);
    describe(ok, texts::A11yOkHelp);
    describe(cancel, texts::A11yCloseHelp);
    // The labels name the fields they stand before, for screen readers and mnemonics.
    auto labelFor = [](const char* text, QWidget* field) {
        auto* label = new QLabel(qs(text));
        label->setBuddy(field);
        return label;
    };

    auto* connection = new QGroupBox(qs(texts::SettingsGroupConnection));
    auto* connectionGrid = new QGridLayout(connection);
    connectionGrid->addWidget(labelFor(texts::SettingsPort, comPort_), 0, 0);
    connectionGrid->addWidget(comPort_, 0, 1);
    connectionGrid->addWidget(scan_, 0, 2);
    connectionGrid->addWidget(connectAtStart_, 1, 0, 1, 3);

    auto* history = new QGroupBox(qs(texts::SettingsGroupHistory));
    auto* historyRow = new QHBoxLayout(history);
    historyRow->addWidget(labelFor(texts::SettingsSpan, plotSpan_));
    historyRow->addWidget(plotSpan_);
    historyRow->addWidget(new QLabel(qs(texts::SettingsAfterRestart)));
    historyRow->addStretch();

    auto* sysLog = new QGroupBox(qs(texts::GroupSystemLog));
    auto* sysLogGrid = new QGridLayout(sysLog);
    sysLogGrid->addWidget(useSysLogFile_, 0, 0, 1, 3);
    sysLogGrid->addWidget(labelFor(texts::SettingsFile, sysLogFileName_), 1, 0);
    sysLogGrid->addWidget(sysLogFileName_, 1, 1);
    sysLogGrid->addWidget(browse_, 1, 2);

    auto* other = new QGroupBox(qs(texts::SettingsGroupOther));
    auto* otherRow = new QVBoxLayout(other);
    otherRow->addWidget(offsetAtt_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* top = new QVBoxLayout(this);
    top->addWidget(connection);
    top->addWidget(history);
    top->addWidget(sysLog);
    top->addWidget(other);
    top->addLayout(buttons);
    setLayout(top);

    linkWatch_ = new QTimer(this);
    linkWatch_->setInterval(LinkWatchMs);
    connect(linkWatch_, &QTimer::timeout, this, &SettingsDialog::OnLinkWatch);
    // The tool tip shows the whole path of the port, also where the list shows a label.
    connect(comPort_, &QComboBox::currentIndexChanged, comPort_,
            [this] { comPort_->setToolTip(comPort_->currentData().toString()); });

    connect(scan_, &QPushButton::clicked, this, &SettingsDialog::OnScan);
    connect(browse_, &QPushButton::clicked, this, &SettingsDialog::OnBrowse);
    connect(ok, &QPushButton::clicked, this, &SettingsDialog::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SettingsDialog::showEvent(QShowEvent* event) {
    // A window coming back from the minimised state keeps what the operator has entered.
    if (!event->spontaneous())
        OnInitDialog();
    QDialog::showEvent(event);
}

void SettingsDialog::OnInitDialog() {
    // The device list is taken afresh: an adapter may have been plugged in since last time.
    // Stable names first, shown by their readable labels; the setting keeps the path.
    const PortList::DeviceFolders& folders = PortList::deviceFolders();
    std::vector<std::string> devices;
    std::map<std::string, std::string> labels;
    for (const auto& named : PortList::serialDevicesById(folders.byId)) {
        devices.push_back(named.path);
        labels[named.path] = named.label;
    }
    for (const auto& node : PortList::serialDevicesPresent(folders.dev))
        devices.push_back(node);
    auto items = PortList::choices(settings_.comPort(), devices);
    comPort_->clear();
    for (const auto& item : items) {
        auto label = labels.find(item);
        comPort_->addItem(QString::fromStdString(label == labels.end() ? item : label->second),
                          QString::fromStdString(item));
    }
    comPort_->setCurrentIndex(PortList::selectionFor(settings_.comPort(), items));

    connectAtStart_->setChecked(settings_.connectAtStart());
    plotSpan_->setCurrentIndex(spanIndex(settings_.plotSpan()));
    useSysLogFile_->setChecked(settings_.useSysLogFile());
    sysLogFileName_->setText(QString::fromStdString(settings_.sysLogFileName()));

    // The scan opens the one device link itself, so it must not run while that link is held
    // for the main window: neither while the device answers nor while the link is open but
    // silent (the main window's poll notices that and closes the link).
    std::string version;
    bool answering = SupplyDevice::readVersion(version) == DeviceResult::Ok;
    scan_->setEnabled(!answering && !SupplyDevice::isConnected());
    if (scan_->isEnabled())
        linkWatch_->stop();
    else
        linkWatch_->start();

    offsetAtt_->setChecked(settings_.offsetAtt());
}

void SettingsDialog::OnLinkWatch() {
    if (!isVisible()) {
        linkWatch_->stop();
        return;
    }
    if (!SupplyDevice::isConnected()) {
        linkWatch_->stop();
        scan_->setEnabled(true);
    }
}

void SettingsDialog::OnOK() {
    settings_.setComPort(comPort_->currentData().toString().toStdString());
    settings_.setConnectAtStart(connectAtStart_->isChecked());
    settings_.setPlotSpan(std::atoi(plotSpan_->currentText().toStdString().c_str()));
    settings_.setUseSysLogFile(useSysLogFile_->isChecked());
    settings_.setSysLogFileName(sysLogFileName_->text().toStdString());
    settings_.setOffsetAtt(offsetAtt_->isChecked());
    accept();
}

void SettingsDialog::OnScan() {
    if (SupplyDevice::isConnected())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<std::string> found = PortScan::scanForSupply();
    QApplication::restoreOverrideCursor();
    if (!found) {
        platform::prompter().messageBox(this, texts::ScanNotFound.str(), texts::CaptionError.str(),
                                        platform::PromptIcon::Stop, platform::PromptButtons::Ok);
        return;
    }
    // The list always starts with com1 to com32, so the found port is item N - 1.
    comPort_->setCurrentIndex(comPort_->findText(QString::fromStdString(*found)));
    std::string text = texts::ScanFound.str();
    text.replace(text.find("%s"), 2, *found);
    platform::prompter().messageBox(this, text, texts::CaptionOk.str(),
                                    platform::PromptIcon::Information, platform::PromptButtons::Ok);
}

void SettingsDialog::OnBrowse() {
    // The chosen name goes into the box only; it becomes the live setting when the dialog is
    // confirmed, so Cancel leaves the log where it was.
    auto chosen =
        platform::prompter().saveFileName(this, texts::FilterLogFile.str(), std::string());
    if (chosen)
        sysLogFileName_->setText(QString::fromStdString(*chosen));
}
