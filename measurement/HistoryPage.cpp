#include "measurement/HistoryPage.h"

#include "history/LogExport.h"
#include "history/LogImport.h"
#include "history/SpanStatistics.h"
#include "history/TimeText.h"
#include "logs/MeasurementLog.h"
#include "measurement/FileReplacement.h"
#include "measurement/HistoryPlot.h"
#include "platform/Files.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/Prompter.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// printf into a string; the texts' own patterns.
template <typename... Args> std::string format(const char* pattern, Args... args) {
    const int n = std::snprintf(nullptr, 0, pattern, args...);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    std::snprintf(out.data(), out.size() + 1, pattern, args...);
    return out;
}

std::string readingText(const history::Sample& s) {
    return format(texts::HistoryReading, history::readoutTime(s.stampMs, true).c_str(), s.volts,
                  s.amps, s.watts, MeasurementLog::stateText(s.outputOn, s.constantCurrent));
}

std::string importSummary(const history::ImportReport& r) {
    std::string out = r.readings == 1 ? texts::HistoryFileReadOne.str()
                                      : format(texts::HistoryFileRead, r.readings);
    if (r.damaged > 0) {
        std::string lines;
        for (std::size_t n : r.damagedLines)
            lines += (lines.empty() ? "" : ", ") + std::to_string(n);
        if (r.damaged > r.damagedLines.size())
            lines += ", ...";
        out +=
            "\n" + (r.damaged == 1 ? format(texts::HistoryFileDamagedOne, lines.c_str())
                                   : format(texts::HistoryFileDamaged, r.damaged, lines.c_str()));
    }
    if (r.clockBack > 0)
        out +=
            "\n" + (r.clockBack == 1
                        ? format(texts::HistoryFileClockBackOne, r.firstClockBackLine)
                        : format(texts::HistoryFileClockBack, r.clockBack, r.firstClockBackLine));
    if (r.dropped > 0)
        out += "\n" + format(texts::HistoryFileDropped, static_cast<unsigned long long>(r.dropped));
    return out;
}

const char* exportFilter(HistoryPage::ExportForm form) {
    switch (form) {
    case HistoryPage::ExportForm::Png:
        return texts::FilterPng;
    case HistoryPage::ExportForm::Svg:
        return texts::FilterSvg;
    default:
        return texts::FilterCsv;
    }
}

} // namespace

HistoryPage::HistoryPage(session::MeasurementSession& session,
                         const history::HistoryStore& sessionHistory,
                         MeasurementWindow::LogFunction log, QWidget* parent)
    : QWidget(parent), session_(session), sessionHistory_(sessionHistory), log_(std::move(log)) {
    setObjectName("historyPage");
    auto* layout = new QVBoxLayout(this);
    auto* tools = new QHBoxLayout;
    layout->addLayout(tools);
    const char* traceNames[history::Quantities] = {texts::HistoryVoltage, texts::HistoryCurrent,
                                                   texts::HistoryPower};
    const char* traceIds[history::Quantities] = {"showVoltage", "showCurrent", "showPower"};
    for (int q = 0; q < history::Quantities; ++q) {
        traces_[q] = new QCheckBox(qs(traceNames[q]), this);
        traces_[q]->setObjectName(traceIds[q]);
        platform::describe(traces_[q], texts::A11yTraceHelp);
        traces_[q]->setChecked(true);
        tools->addWidget(traces_[q]);
        connect(traces_[q], &QCheckBox::toggled, this, [this, q](bool on) {
            plot_->picture().visible[q] = on;
            plot_->update();
        });
    }
    cursors_ = new QCheckBox(qs(texts::HistoryCursors), this);
    cursors_->setObjectName("showCursors");
    platform::describe(cursors_, texts::A11yCursorsHelp);
    tools->addWidget(cursors_);
    tools->addStretch(1);
    auto button = [&](const char* text, const char* name) {
        auto* b = new QPushButton(qs(text), this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        tools->addWidget(b);
        return b;
    };
    fit_ = button(texts::HistoryFit, "fit");
    live_ = button(texts::HistoryLive, "live");
    open_ = button(texts::HistoryOpen, "openLog");
    sessionButton_ = button(texts::HistorySession, "showSession");
    exportForm_ = new QComboBox(this);
    exportForm_->setObjectName("exportForm");
    platform::describe(fit_, texts::A11yFitHelp);
    platform::describe(live_, texts::A11yLiveHelp);
    platform::describe(open_, texts::A11yOpenHelp);
    platform::describe(sessionButton_, texts::A11ySessionHelp);
    platform::describe(exportForm_, texts::A11yExportFormHelp, texts::HistoryExport);
    for (const char* form : {texts::HistoryExportLog, texts::HistoryExportIso,
                             texts::HistoryExportPng, texts::HistoryExportSvg})
        exportForm_->addItem(qs(form));
    tools->addWidget(exportForm_);
    export_ = button(texts::HistoryExport, "export");
    platform::describe(export_, texts::A11yExportHelp);

    source_ = new QLabel(this);
    source_->setObjectName("historySource");
    platform::describe(source_, texts::A11ySourceHelp, texts::PageHistory);
    source_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(source_);
    plot_ = new HistoryPlot(this);
    plot_->setToolTip(qs(texts::HistoryHelp));
    platform::describe(plot_, texts::A11yPlotHelp, texts::A11yPlot);
    layout->addWidget(plot_, 1);
    auto readout = [&](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(l);
        return l;
    };
    hover_ = readout("hoverReadout");
    cursorReadout_[0] = readout("cursorA");
    cursorReadout_[1] = readout("cursorB");
    platform::describe(hover_, texts::A11yReadoutHelp, texts::A11yHoverReadout);
    platform::describe(cursorReadout_[0], texts::A11yReadoutHelp, texts::A11yCursorA);
    platform::describe(cursorReadout_[1], texts::A11yReadoutHelp, texts::A11yCursorB);
    between_ = readout("betweenCursors");
    platform::describe(between_, texts::A11yReadoutHelp, texts::A11yBetweenCursors);

    connect(cursors_, &QCheckBox::toggled, this, [this](bool on) { plot_->showCursors(on); });
    connect(fit_, &QPushButton::clicked, this, [this] {
        plot_->view().fit();
        plot_->refresh();
        showReadouts();
    });
    connect(live_, &QPushButton::clicked, this, [this] {
        plot_->view().goLive();
        plot_->refresh();
        showReadouts();
    });
    connect(open_, &QPushButton::clicked, this, &HistoryPage::chooseFile);
    connect(sessionButton_, &QPushButton::clicked, this, &HistoryPage::showSession);
    connect(export_, &QPushButton::clicked, this, &HistoryPage::exportShown);
    connect(plot_, &HistoryPlot::viewChanged, this, &HistoryPage::showReadouts);
    connect(plot_, &HistoryPlot::hovered, this, &HistoryPage::showHover);

    session_.addObserver(this);
    showSession();
}

HistoryPage::~HistoryPage() {
    session_.removeObserver(this);
}

void HistoryPage::onReading(const session::Reading&) {
    if (showingFile())
        return;
    plot_->refresh();
    // The figures between the cursors sum every reading between them: only while shown.
    if (plot_->picture().cursors && isVisible())
        showReadouts();
}

void HistoryPage::onConnected(bool automatic) {
    if (!automatic && !showingFile())
        plot_->refresh();
}

void HistoryPage::tell(const std::string& text, bool failure) {
    platform::prompter().messageBox(
        this, text, failure ? texts::CaptionError.str() : texts::PageHistory.str(),
        failure ? platform::PromptIcon::Stop : platform::PromptIcon::Information,
        platform::PromptButtons::Ok);
}

void HistoryPage::chooseFile() {
    if (auto path = platform::prompter().openFileName(this, texts::FilterCsv.str(), ""))
        openFile(*path);
}

bool HistoryPage::openFile(const std::string& path) {
    auto store = std::make_unique<history::HistoryStore>();
    const history::ImportReport r = history::importLog(path, *store);
    const char* refusal = nullptr;
    switch (r.status) {
    case history::ImportStatus::Ok:
        break;
    case history::ImportStatus::OpenFailed:
        refusal = texts::HistoryFileOpenFailed;
        break;
    case history::ImportStatus::Empty:
        refusal = texts::HistoryFileEmpty;
        break;
    case history::ImportStatus::Binary:
        refusal = texts::HistoryFileBinary;
        break;
    case history::ImportStatus::NothingReadable:
        refusal = texts::HistoryFileNothingReadable;
        break;
    }
    if (refusal) {
        tell(format(refusal, path.c_str()), true);
        return false;
    }
    fileStore_ = std::move(store);
    plot_->view().fit();
    plot_->setStore(fileStore_.get());
    const std::string summary = importSummary(r);
    source_->setText(QString::fromStdString(format(texts::HistorySourceFile, path.c_str()) +
                                            texts::Gap + summary)
                         .replace('\n', qs(texts::Gap)));
    live_->setEnabled(false);
    sessionButton_->setEnabled(true);
    log_(format(texts::LogHistoryFileOpened, path.c_str()));
    if (r.damaged > 0 || r.clockBack > 0 || r.dropped > 0)
        platform::prompter().messageBox(this, summary, texts::PageHistory.str(),
                                        platform::PromptIcon::Warning, platform::PromptButtons::Ok);
    showReadouts();
    return true;
}

void HistoryPage::showSession() {
    fileStore_.reset();
    plot_->view().goLive();
    plot_->setStore(&sessionHistory_);
    source_->setText(qs(texts::HistorySourceSession));
    live_->setEnabled(true);
    sessionButton_->setEnabled(false);
    showReadouts();
}

double HistoryPage::reachMs() const {
    const double perPixel = plot_->view().span() / std::max(1, plot_->area().width());
    return std::max(3 * perPixel, 1500.0);
}

void HistoryPage::showHover(std::optional<double> timeMs) {
    const history::HistoryStore* store = plot_->store();
    std::optional<history::Sample> s;
    if (timeMs && store)
        s = history::readingAt(*store, *timeMs, reachMs());
    hover_->setText(s ? QString::fromStdString(readingText(*s)) : QString());
}

void HistoryPage::showReadouts() {
    const history::HistoryStore* store = plot_->store();
    const HistoryPicture& pic = plot_->picture();
    if (!pic.cursors || !store) {
        for (QLabel* l : cursorReadout_)
            l->clear();
        between_->clear();
        return;
    }
    const double a = pic.cursorMs[0];
    const double b = pic.cursorMs[1];
    const history::SpanStatistics span = history::spanStatistics(*store, a, b, reachMs());
    // The statistics come ordered by time; the readouts follow the cursors' names.
    const bool swapped = b < a;
    const std::optional<history::Sample>* at[2] = {swapped ? &span.second : &span.first,
                                                   swapped ? &span.first : &span.second};
    for (int k = 0; k < 2; ++k) {
        const char* name = k == 0 ? "A: " : "B: ";
        const std::string text = *at[k]
                                     ? readingText(**at[k])
                                     : history::readoutTime(store->stampAt(k == 0 ? a : b), true) +
                                           texts::Gap + texts::HistoryNoReading;
        cursorReadout_[k]->setText(QString::fromStdString(name + text));
    }
    const bool both = span.first && span.second;
    const std::string dv =
        both ? format("%+.2f V", span.deltaVolts) : texts::HistoryNoReading.str();
    const std::string di = both ? format("%+.3f A", span.deltaAmps) : texts::HistoryNoReading.str();
    const session::Counters& c = span.counters;
    between_->setText(QString::fromStdString(
        format(texts::HistoryBetween, span.seconds, dv.c_str(), di.c_str(), c.voltage().mean,
               c.current().mean, c.power().mean, c.chargeAh() * 1000.0, c.energyWh())));
}

void HistoryPage::exportShown() {
    const auto form = static_cast<ExportForm>(exportForm_->currentIndex());
    const auto path = platform::prompter().saveFileName(this, exportFilter(form), "");
    if (!path)
        return;
    const history::HistoryStore& store = *plot_->store();
    history::HistoryView& view = plot_->view();
    const bool csv = form == ExportForm::CsvLog || form == ExportForm::CsvIso;
    if (csv && !history::anyReadingIn(store, view.start(), view.end())) {
        tell(texts::HistoryExportNothing.str(), true);
        return;
    }
    const FileChoice choice = askBeforeReplacing(this, *path);
    if (choice == FileChoice::Kept)
        return;
    if (choice == FileChoice::Refused) {
        const std::string refusal = texts::fill(texts::FileNotReplaceable, *path);
        log_(refusal);
        tell(refusal, true);
        return;
    }
    bool written = false;
    if (csv) {
        written = history::exportCsv(store, view.start(), view.end(),
                                     form == ExportForm::CsvLog ? history::CsvForm::MeasurementLog
                                                                : history::CsvForm::Iso,
                                     *path) == history::ExportResult::Written;
    } else {
        // Drawn into memory first, so that the file is replaced whole like the CSV forms.
        HistoryPicture picture = plot_->picture();
        picture.box.reset();
        const QSize size = plot_->size();
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        bool drawn = false;
        if (form == ExportForm::Png) {
            QImage image(size, QImage::Format_RGB32);
            QPainter painter(&image);
            renderHistory(painter, image.rect(), store, view, picture);
            painter.end();
            drawn = image.save(&bytes, "PNG");
        } else {
            QSvgGenerator svg;
            svg.setOutputDevice(&bytes);
            svg.setSize(size);
            svg.setViewBox(QRect(QPoint(0, 0), size));
            svg.setTitle(qs(texts::PageHistory));
            QPainter painter;
            if (painter.begin(&svg)) {
                renderHistory(painter, QRect(QPoint(0, 0), size), store, view, picture);
                drawn = painter.end();
            }
        }
        written = drawn && platform::replaceFile(*path, bytes.data().toStdString());
    }
    if (written) {
        log_(format(texts::HistoryExported, path->c_str()));
    } else {
        // A failure goes to the log as well as to the box: it is never taken for done.
        const std::string failure = format(texts::HistoryExportFailed, path->c_str());
        log_(failure);
        tell(failure, true);
    }
}
