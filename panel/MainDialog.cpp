// Start-up, construction of the window, connection and the window's menu.
#include "panel/MainDialog.h"

#include "config/DisplaySettings.h"
#include "config/ui/SettingsDialog.h"
#include "device/PortAccess.h"
#include "firmware/ui/FirmwareUpdateDialog.h"
#include "history/HistoryRecorder.h"
#include "http/qt/HttpPanel.h"
#include "logs/SystemLog.h"
#include "logs/ui/LogPane.h"
#include "measurement/HistoryPage.h"
#include "measurement/MeasurementWindow.h"
#include "measurement/RemotePage.h"
#include "measurement/SequenceDriver.h"
#include "measurement/SequencePage.h"
#include "mqtt/qt/MqttPanel.h"
#include "panel/AboutDialog.h"
#include "panel/SpinArrows.h"
#include "platform/Clock.h"
#include "platform/Signals.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/ControlIds.h"
#include "platform/qt/DialogUnits.h"
#include "platform/qt/Prompter.h"
#include "plot/HistoryPlotSetup.h"
#include "plot/MeterStatic.h"
#include "plot/clPlot.h"
#include "remote/qt/RemoteService.h"
#include "resources/Texts.h"
#include "resources/ui/Images.h"
#include "session/SessionMessages.h"
#include "session/SessionSettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string format(const char* pattern, const std::string& a) {
    std::string out(pattern);
    auto at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, a);
    return out;
}

} // namespace

MainDialog::MainDialog(QWidget* parent) : QDialog(parent) {
    // The settings are loaded by the Settings member before anything else reads them.
    session_ = std::make_unique<session::MeasurementSession>(settings);
    session::SessionSettings::load(settings.ini(), badSessionKeys_).applyTo(*session_);
    // The language itself was put in force before the window was built (ControlApp); only
    // a value that could not be used is told, in the log.
    DisplaySettings::load(settings.ini(), badDisplayKeys_);
    session_->addObserver(this);
    historyRecorder_ = std::make_unique<history::HistoryRecorder>(*session_);
    plot = std::make_unique<clPlot>();
    createControls();
    systemLog = std::make_unique<SystemLog>(settings, logPane);
    sequenceDriver_ = std::make_unique<SequenceDriver>(
        *session_, [this](const std::string& m) { AppendSystemLog(m); });
}

MainDialog::~MainDialog() {
    // The measurement window's pages observe the session, which goes before Qt's children.
    delete measurementWindow_;
    // Its clients are told goodbye in the log, which must still be there.
    delete remote_;
    delete mqtt_;
    delete http_;
    // A sequence still running ends with the output off and says so while the log is there.
    sequenceDriver_.reset();
    session_->removeObserver(this);
    SupplyDevice::disconnect();
    session_->stopMeasurementLog();
}

int MainDialog::DoModal() {
    OnInitDialog();
    return exec();
}

void MainDialog::createControls() {
    setWindowTitle(qs(texts::MainCaption));
    setWindowIcon(images::appIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont dialogFont(qs(texts::FontPGothic), 9);
    setFont(dialogFont);
    const DialogUnits du(dialogFont);

    // The window's own menu bar, across the top; the layout below starts under it, so its
    // height is taken once the menu is in it (an empty bar asks for no room).
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName("menu");
    menuBar->setNativeMenuBar(false); // a desktop's global menu would leave its room empty
    createMenu();
    const int top = menuBar->sizeHint().height();
    auto place = [&](QWidget* w, int x, int y, int width, int height, int id = 0) {
        QRect r = du.rect(x, y, width, height);
        w->setGeometry(r.translated(0, top));
        if (id)
            platform::setControlId(w, id);
    };
    auto group = [&](const char* text, int x, int y, int width, int height) {
        auto* g = new QGroupBox(qs(text), this);
        place(g, x, y, width, height);
        g->lower();
        return g;
    };
    auto label = [&](const char* text, int x, int y, int width, int height, int id = 0) {
        auto* l = new QLabel(qs(text), this);
        place(l, x, y, width, height, id);
        return l;
    };
    auto button = [&](const char* text, int x, int y, int width, int height, int id) {
        auto* b = new QPushButton(qs(text), this);
        place(b, x, y, width, height, id);
        b->setAutoDefault(false);
        return b;
    };
    auto meter = [&](const char* text, QColor colour, int x, int y, int width, int height, int id) {
        auto* m = new MeterStatic(this);
        m->setText(qs(text));
        m->setTextColor(colour);
        place(m, x, y, width, height, id);
        return m;
    };

    // Set-point entry, upper left.
    group(texts::GroupSetpoints, 4, 2, 134, 50);
    label(texts::LabelMain, 8, 11, 20, 8);
    // One row per set-point: derive box, field, arrows, unit, set button.
    auto entryRow = [&](int y, const char* unit, QCheckBox*& derive, QLineEdit*& edit,
                        SpinArrows*& spin, QPushButton*& set, int deriveId, int editId, int spinId,
                        int setId) {
        derive = new QCheckBox(this);
        place(derive, 10, y + 2, 10, 10, deriveId);
        edit = new QLineEdit(this);
        edit->setAlignment(Qt::AlignRight);
        place(edit, 24, y, 48, 13, editId);
        spin = new SpinArrows(this);
        place(spin, 72, y, 9, 13, spinId);
        label(unit, 84, y + 2, 8, 9);
        set = button(texts::ButtonSet, 96, y - 1, 36, 14, setId);
    };
    entryRow(20, "V", deriveCurrent, voltageEdit, voltageSpin, setVoltageButton, IdDeriveCurrent,
             IdVoltageEdit, IdVoltageSpin, IdSetVoltage);
    entryRow(36, "A", deriveVoltage, currentEdit, currentSpin, setCurrentButton, IdDeriveVoltage,
             IdCurrentEdit, IdCurrentSpin, IdSetCurrent);

    // Button column, right.
    group(texts::GroupOutput, 142, 2, 49, 28);
    outputButton = button("", 148, 11, 37, 15, IdOutputButton);
    outputButton->setIconSize(QSize(28, 12));
    group(texts::GroupLog, 142, 32, 49, 28);
    logButton = button(texts::ButtonLogStart, 148, 41, 37, 15, IdLogButton);
    group(texts::GroupDevice, 142, 62, 49, 68);
    connectButton = button(texts::ButtonConnect, 148, 72, 37, 15, IdConnectButton);
    portText = label("comx", 145, 93, 43, 9, IdPortText);
    portText->setAlignment(Qt::AlignCenter);
    settingsButton = button(texts::ButtonSettings, 148, 108, 37, 15, IdSettingsButton);
    // The column's buttons are as wide as the layout has them unless a text they show would
    // not fit (a longer language): then all of them grow alike, centred in their groups.
    {
        QStyleOptionButton option;
        option.initFrom(connectButton);
        const int room =
            style()->subElementRect(QStyle::SE_PushButtonContents, &option, connectButton).width();
        int widest = 0;
        for (const char* text : {texts::ButtonLogStart, texts::ButtonLogStop, texts::ButtonConnect,
                                 texts::ButtonDisconnect, texts::ButtonSettings})
            widest = std::max(widest, connectButton->fontMetrics().horizontalAdvance(qs(text)) + 1);
        // Room up to the groups' frames: 3 units on either side at the most.
        const int grow = std::min(widest - room, du.x(6));
        if (grow > 0)
            for (QPushButton* b : {outputButton, logButton, connectButton, settingsButton})
                b->setGeometry(b->geometry().adjusted(-(grow + 1) / 2, 0, grow / 2, 0));
    }

    // Readouts, power bar and source, below the entry: each mode label above its readout.
    group(texts::GroupReadings, 4, 54, 134, 76);
    cvLabel = meter("CV", QColor(0, 127, 0), 10, 62, 20, 16, IdCvLabel);
    ccLabel = meter("CC", QColor(127, 0, 0), 74, 62, 20, 16, IdCcLabel);
    voltageMeter = meter("--.--", QColor(0, 127, 0), 8, 79, 52, 18, IdVoltageMeter);
    voltageMeter->setRightAligned(true);
    voltageMeter->setClientEdge(true);
    label("V", 61, 88, 6, 9);
    currentMeter = meter("-.---", QColor(127, 0, 0), 72, 79, 52, 18, IdCurrentMeter);
    currentMeter->setRightAligned(true);
    currentMeter->setClientEdge(true);
    label("A", 125, 88, 6, 9);
    powerBar = new QProgressBar(this);
    powerBar->setTextVisible(false);
    powerBar->setRange(0, 1500);
    powerBar->setValue(0);
    place(powerBar, 10, 100, 112, 8, IdPowerBar);
    label("W", 125, 100, 8, 9);
    label("0", 9, 109, 10, 8);
    const char* scales[3] = {"0.5", "1.0", "1.5"};
    const int scaleIds[3] = {IdScale1, IdScale2, IdScale3};
    for (int k = 0; k < 3; ++k) {
        // At a third, two thirds and the end of the bar, centred on those points.
        int x = 10 + 112 * (k + 1) / 3 - 8;
        scaleLabels[k] = label(scales[k], x, 109, 16, 8, scaleIds[k]);
        scaleLabels[k]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    sourceText = label(texts::SourceUsbHostInitial, 9, 119, 126, 9, IdSourceText);

    // The history plot across the middle, over the hidden frame.
    historyGroup = group(texts::GroupHistory, 4, 132, 187, 70);
    platform::setControlId(historyGroup, IdHistoryGroup);
    plotFrame = new QWidget(this);
    place(plotFrame, 8, 142, 179, 56, IdPlotFrame);
    plotFrame->hide();

    // The system log at the bottom.
    group(texts::GroupSystemLog, 4, 204, 187, 47);
    logPane = new LogPane(this);
    logPane->setReadOnly(true);
    logPane->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Weeks of running must not grow the pane without end; the file keeps every line.
    logPane->setMaximumBlockCount(MaxLogPaneLines + 1); // each line ends in a line feed
    logPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    logPane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(logPane, 8, 213, 179, 34, IdLogPane);

    setFixedSize(du.x(195), du.y(253) + top);
    menuBar->setGeometry(0, 0, width(), top);

    describeControls();

    connect(connectButton, &QPushButton::clicked, this, &MainDialog::OnConnectButton);
    connect(settingsButton, &QPushButton::clicked, this, &MainDialog::OnSettingsButton);
    connect(setVoltageButton, &QPushButton::clicked, this, &MainDialog::OnSetVoltage);
    connect(setCurrentButton, &QPushButton::clicked, this, &MainDialog::OnSetCurrent);
    connect(voltageSpin, &SpinArrows::deltaPos, this, &MainDialog::OnVoltageSpin);
    connect(currentSpin, &SpinArrows::deltaPos, this, &MainDialog::OnCurrentSpin);
    connect(deriveCurrent, &QCheckBox::clicked, this, &MainDialog::OnDeriveCurrentCheck);
    connect(deriveVoltage, &QCheckBox::clicked, this, &MainDialog::OnDeriveVoltageCheck);
    connect(outputButton, &QPushButton::clicked, this, &MainDialog::OnOutputButton);
    connect(logButton, &QPushButton::clicked, this, &MainDialog::OnLogButton);
    voltageEdit->installEventFilter(this);
    currentEdit->installEventFilter(this);
}

void MainDialog::describeControls() {
    using platform::describe;
    describe(deriveCurrent, texts::A11yDeriveCurrentHelp, texts::A11yDeriveCurrent);
    describe(voltageEdit, texts::A11yVoltageEditHelp, texts::A11yVoltageEdit);
    describe(setVoltageButton, texts::A11ySetHelp, texts::A11ySetVoltage);
    describe(deriveVoltage, texts::A11yDeriveVoltageHelp, texts::A11yDeriveVoltage);
    describe(currentEdit, texts::A11yCurrentEditHelp, texts::A11yCurrentEdit);
    describe(setCurrentButton, texts::A11ySetHelp, texts::A11ySetCurrent);
    describe(outputButton, texts::A11yOutputButtonHelp, texts::A11yOutputButton);
    describe(logButton, texts::A11yLogButtonHelp);
    describe(connectButton, texts::A11yConnectButtonHelp);
    describe(settingsButton, texts::A11ySettingsButtonHelp);
    describe(logPane, texts::A11yLogPaneHelp, texts::GroupSystemLog);
}

void MainDialog::createMenu() {
    auto* bar = findChild<QMenuBar*>("menu");
    // Alt with the title's first letter opens the menu; the title still reads as it is.
    QMenu* menu = bar->addMenu("&" + qs(texts::MenuTitle));
    menu->setObjectName("menuQuorel");
    // F10 opens the menu bar's menu, as in most desktop programs.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, bar,
            [bar, menu] { bar->setActiveAction(menu->menuAction()); });
    // Both commands are added only when both texts exist, as a pair.
    if (*texts::MenuFirmwareUpdate && *texts::MenuAbout) {
        menu->addAction(qs(texts::MenuFirmwareUpdate), this,
                        [this] { OnSysCommand(SysMenuFirmwareUpdate); });
        menu->addSeparator();
        QAction* measurement = menu->addAction(qs(texts::MenuMeasurement), this,
                                               [this] { OnSysCommand(SysMenuMeasurement); });
        measurement->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
        menu->addAction(qs(texts::MenuAbout), this, [this] { OnSysCommand(SysMenuAbout); });
        menu->addSeparator();
    }
    QAction* close =
        menu->addAction(qs(texts::MenuClose), this, [this] { OnSysCommand(SysMenuClose); });
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
}

bool MainDialog::OnInitDialog() {
    voltageEdit->setText("0");
    voltageSpin->setBuddy(voltageEdit);
    voltageSpin->setRange(0, 40);
    currentEdit->setText("0");
    currentSpin->setBuddy(currentEdit);
    currentSpin->setRange(0, 40);

    setupPlot();
    char caption[64];
    std::snprintf(caption, sizeof caption, texts::GroupHistoryWithSpan, settings.plotSpan());
    historyGroup->setTitle(QString::fromUtf8(caption));
    showPortName();

    pollTimer = new QTimer(this);
    pollTimer->setObjectName("PollTimer");
    pollTimer->setTimerType(Qt::PreciseTimer);
    connect(pollTimer, &QTimer::timeout, this, &MainDialog::OnTimer);
    pollTimer->start(PollPeriodMs);

    onBitmap = images::lamp(true);
    offBitmap = images::lamp(false);
    showLamp(false);

    AppendSystemLog(texts::LogStarted.str());
    for (const std::string& key : badSessionKeys_)
        AppendSystemLog(format(texts::LogSessionSettingBad, key));
    for (const std::string& key : badDisplayKeys_)
        AppendSystemLog(format(texts::LogDisplaySettingBad, key));
    remote_ = new RemoteService(
        *session_, settings.ini(), [this](const std::string& m) { AppendSystemLog(m); }, this);
    connect(remote_, &RemoteService::changed, this,
            [this] { setWindowTitle(RemoteService::mainCaption(remote_->clients().size())); });
    // A client's step lists run on the window's one runner, beside the sequence page's.
    remote_->control().setSequenceRunner(&sequenceRunner());
    remote_->startFromSettings();
    http_ = panel::startHttpService(
        *session_, settings.ini(), [this](const std::string& m) { AppendSystemLog(m); },
        sequenceRunner(), remote_, this);
    mqtt_ = panel::startMqttService(
        *session_, settings, [this](const std::string& m) { AppendSystemLog(m); }, sequenceRunner(),
        this);
    if (settings.connectAtStart())
        OnConnectButton();
    return true;
}

void MainDialog::setupPlot() {
    setUpHistoryPlot(*plot, this, plotFrame->geometry(), settings.plotSpan());
}

void MainDialog::feedPlot(double volts, double amps) {
    const platform::Seconds now = platform::now();
    plot->appendSample(0, now, volts);
    plot->appendSample(1, now, amps);
    plot->update();
}

void MainDialog::clearPlot() {
    plot->clearSamples();
}

void MainDialog::AppendSystemLog(const std::string& message) {
    systemLog->append(message);
}

void MainDialog::OnConnectButton() {
    if (session_->connected()) {
        session_->disconnect();
        connectButton->setText(qs(texts::ButtonConnect));
        AppendSystemLog(texts::LogDisconnected.str());
        return;
    }
    const std::string port = settings.comPort();
    if (session_->connect(port) == DeviceResult::Ok)
        return;
    const std::string message = format(texts::LogConnectFailed, port);
    AppendSystemLog(message);
    // A port that is there but cannot be opened gets its cause and remedy in the log.
    if (const std::string why = portAccessMessage(port); !why.empty())
        AppendSystemLog(why);
    platform::prompter().messageBox(this, message, texts::CaptionError.str(),
                                    platform::PromptIcon::Stop, platform::PromptButtons::Ok);
}

void MainDialog::onUnfinishedRunSwitchedOff(const session::UnfinishedRun& run) {
    AppendSystemLog(session::unfinishedRunMessage(run));
}

void MainDialog::onConnected(bool automatic) {
    // The version is kept whole; the message has room for any reply.
    AppendSystemLog(session::connectedMessage(session_->portName(), session_->version()));
    // A connection the session made again by itself continues the history.
    if (!automatic)
        clearPlot();
    connectButton->setText(qs(texts::ButtonDisconnect));
    outputButton->setEnabled(true);
}

void MainDialog::OnSettingsButton() {
    SettingsDialog dialog(settings, this);
    dialog.exec();
    showPortName();
}

void MainDialog::showPortName() {
    // A long name (a stable name under /dev/serial/by-id) keeps its start and its end, the
    // parts that tell ports apart; the whole name is in the tooltip.
    const QString name = QString::fromStdString(settings.comPort());
    portText->setText(portText->fontMetrics().elidedText(name, Qt::ElideMiddle,
                                                         portText->contentsRect().width()));
    portText->setToolTip(name);
    portText->setAccessibleName(name);
}

void MainDialog::OnSysCommand(int command) {
    if ((command & 0xFFF0) == SysMenuAbout) {
        AboutDialog about(this);
        about.exec();
        return;
    }
    if (command == SysMenuFirmwareUpdate) {
        // The boot-loader may answer on the same port: no reconnection may take it meanwhile.
        session_->suspendReconnect(true);
        runFirmwareUpdateCommand(this, settings.comPort());
        session_->suspendReconnect(false);
        return;
    }
    if (command == SysMenuMeasurement) {
        openMeasurementWindow();
        return;
    }
    if (command == SysMenuClose)
        close();
}

sequence::Runner& MainDialog::sequenceRunner() {
    return sequenceDriver_->runner();
}

const history::HistoryStore& MainDialog::sessionHistory() const {
    return historyRecorder_->store();
}

void MainDialog::openMeasurementWindow() {
    if (!measurementWindow_) {
        auto log = [this](const std::string& m) { AppendSystemLog(m); };
        measurementWindow_ = new MeasurementWindow(*session_, settings, log, this);
        historyPage_ = new HistoryPage(*session_, historyRecorder_->store(), log);
        measurementWindow_->addPage(historyPage_, qs(texts::PageHistory),
                                    qs(texts::A11yHistoryPageHelp));
        if (remote_) {
            auto* page = new RemotePage(*remote_, log);
            if (QWidget* section = panel::makeHttpSection(http_, log, page))
                page->addSection(section);
            if (QWidget* section = panel::makeMqttSection(mqtt_, page))
                page->addSection(section);
            measurementWindow_->addPage(page, qs(texts::PageRemote), qs(texts::A11yRemotePageHelp));
        }
        measurementWindow_->addPage(new SequencePage(*sequenceDriver_, *session_, log),
                                    qs(texts::PageSequence), qs(texts::A11ySequencePageHelp));
        measurementWindow_->setFileDropHandler(
            [this](const std::string& path) { OpenHistoryFile(path); });
        // Room for the history's plot, as far as the screen has room.
        measurementWindow_->resizeWithinScreen(
            measurementWindow_->size().expandedTo(QSize(960, 640)));
    }
    measurementWindow_->show();
    measurementWindow_->raise();
    measurementWindow_->activateWindow();
}

void MainDialog::OpenHistoryFile(const std::string& path) {
    openMeasurementWindow();
    measurementWindow_->pages()->setCurrentWidget(historyPage_);
    historyPage_->openFile(path);
}

void MainDialog::closeEvent(QCloseEvent* event) {
    AppendSystemLog(texts::LogClosing.str());
    event->accept();
    QDialog::done(QDialog::Accepted);
}

void MainDialog::EndOnSignal(int signal) {
    AppendSystemLog(format(texts::LogEndingOnSignal, platform::signalName(signal)));
    sequenceDriver_->runner().abort();
    close();
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
    // Esc never closes the window, and F1 asks for no help.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F1) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
