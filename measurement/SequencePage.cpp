#include "measurement/SequencePage.h"

#include "measurement/FileReplacement.h"
#include "measurement/SequenceDriver.h"
#include "measurement/SequencePreview.h"
#include "platform/Clock.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/Prompter.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "sequence/ChargeProfile.h"
#include "sequence/SequenceFile.h"
#include "sequence/SequenceMessages.h"
#include "session/MeasurementSession.h"
#include "session/SetpointRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace {

using namespace sequence;

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const QColor RefusedColor(255, 255, 0);
const QColor RunningColor(200, 240, 200);

// A plain decimal number within [min, max], as the set-point fields take them.
std::optional<double> numberIn(const QString& text, double min, double max) {
    const std::string t = text.trimmed().toStdString();
    if (SetpointRules::entryForm(t) != SetpointRules::EntryForm::Number)
        return std::nullopt;
    const double v = std::strtod(t.c_str(), nullptr);
    if (!(v >= min && v <= max))
        return std::nullopt;
    return v;
}

void mark(QLineEdit* field, bool refused) {
    QPalette p = field->palette();
    p.setColor(QPalette::Base,
               refused ? RefusedColor : field->style()->standardPalette().color(QPalette::Base));
    field->setPalette(p);
}

// The steps a plan runs, as the table holds steps.
std::vector<Step> stepsOf(const Plan& plan) {
    std::vector<Step> out;
    for (const PlannedStep& s : plan.steps())
        out.push_back({voltsOf(s.to), ampsOf(s.to), s.durationMs / 1000.0, s.ramp});
    return out;
}

QString secondsField(double seconds) {
    return QString::fromStdString(sequence::secondsText(seconds));
}

} // namespace

SequencePage::SequencePage(SequenceDriver& driver, session::MeasurementSession& session,
                           MeasurementWindow::LogFunction log, QWidget* parent)
    : QWidget(parent), driver_(driver), session_(session), log_(std::move(log)) {
    setObjectName("sequencePage");
    connect(&driver_, &SequenceDriver::changed, this, &SequencePage::showState);

    auto* left = new QVBoxLayout;
    left->addWidget(createTable(), 1);
    left->addWidget(createCharge());
    auto* right = new QVBoxLayout;
    preview_ = new SequencePreview(this);
    right->addWidget(preview_, 1);
    right->addWidget(createRunControls());
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);

    session_.addObserver(this);
    refreshPreview();
    showState();
}

SequencePage::~SequencePage() {
    session_.removeObserver(this);
}

Runner& SequencePage::runner() {
    return driver_.runner();
}

QWidget* SequencePage::createTable() {
    auto* box = new QWidget(this);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    table_ = new QTableWidget(0, Columns, box);
    table_->setObjectName("sequenceSteps");
    table_->setHorizontalHeaderLabels(
        {qs(texts::SequenceColumnVolts), qs(texts::SequenceColumnAmps),
         qs(texts::SequenceColumnSeconds), qs(texts::SequenceColumnLinear)});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    connect(table_, &QTableWidget::itemChanged, this, &SequencePage::cellEdited);
    v->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    auto button = [&](QPushButton*& b, const char* text, const char* name) {
        b = new QPushButton(qs(text), box);
        b->setObjectName(name);
        buttons->addWidget(b);
    };
    button(add_, texts::SequenceAdd, "addStep");
    button(remove_, texts::SequenceRemove, "removeStep");
    button(up_, texts::SequenceUp, "moveStepUp");
    button(down_, texts::SequenceDown, "moveStepDown");
    buttons->addStretch(1);
    button(load_, texts::SequenceLoad, "loadSteps");
    button(save_, texts::SequenceSave, "saveSteps");
    v->addLayout(buttons);
    platform::describe(table_, texts::A11ySequenceStepsHelp, texts::A11ySequenceStepsName);
    platform::describe(add_, texts::A11ySequenceAddHelp);
    platform::describe(remove_, texts::A11ySequenceRemoveHelp);
    platform::describe(up_, texts::A11ySequenceUpHelp);
    platform::describe(down_, texts::A11ySequenceDownHelp);
    platform::describe(load_, texts::A11ySequenceLoadHelp);
    platform::describe(save_, texts::A11ySequenceSaveHelp);
    connect(add_, &QPushButton::clicked, this, &SequencePage::addStep);
    connect(remove_, &QPushButton::clicked, this, &SequencePage::removeStep);
    connect(up_, &QPushButton::clicked, this, [this] { moveStep(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { moveStep(1); });
    connect(load_, &QPushButton::clicked, this, &SequencePage::loadSteps);
    connect(save_, &QPushButton::clicked, this, &SequencePage::saveSteps);
    return box;
}

QWidget* SequencePage::createRunControls() {
    auto* box = new QWidget(this);
    auto* v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    auto field = [box](QLineEdit*& f, const char* name, const char* text) {
        f = new QLineEdit(qs(text), box);
        f->setObjectName(name);
        f->setAlignment(Qt::AlignRight);
        f->setMaximumWidth(80);
        return f;
    };
    auto check = [box](QCheckBox*& c, const char* name, const char* text) {
        c = new QCheckBox(qs(text), box);
        c->setObjectName(name);
        return c;
    };
    auto* stops = new QGroupBox(qs(texts::SequenceGroupStops), box);
    auto* grid = new QGridLayout(stops);
    auto row = [&](int r, QWidget* a, QWidget* b, const char* middle, QWidget* c, const char* end) {
        grid->addWidget(a, r, 0);
        grid->addWidget(b, r, 1);
        grid->addWidget(new QLabel(qs(middle), stops), r, 2);
        if (c)
            grid->addWidget(c, r, 3);
        grid->addWidget(new QLabel(qs(end), stops), r, c ? 4 : 3, 1, c ? 1 : 2);
    };
    row(0, check(belowOn_, "stopBelowOn", texts::SequenceConditionBelow),
        field(belowAmps_, "stopBelowAmps", "0.050"), texts::SequenceConditionBelowFor,
        field(belowSeconds_, "stopBelowSeconds", "10"), texts::SequenceConditionBelowEnd);
    row(1, check(aboveOn_, "stopAboveOn", texts::SequenceConditionAbove),
        field(aboveVolts_, "stopAboveVolts", "20.00"), texts::SequenceConditionAboveEnd, nullptr,
        "");
    row(2, check(afterOn_, "stopAfterOn", texts::SequenceConditionAfter),
        field(afterSeconds_, "stopAfterSeconds", "3600"), texts::SequenceConditionAfterEnd, nullptr,
        "");
    row(3, check(chargeOn_, "stopChargeOn", texts::SequenceConditionCharge),
        field(chargeAh_, "stopChargeAh", "1.000"), texts::SequenceConditionChargeEnd, nullptr, "");
    grid->setColumnStretch(5, 1);
    v->addWidget(stops);

    auto* repeat = new QHBoxLayout;
    repeat->addWidget(new QLabel(qs(texts::SequenceRepeat), box));
    repeat_ = new QSpinBox(box);
    repeat_->setObjectName("repeat");
    repeat_->setRange(1, static_cast<int>(MaxRepeat));
    repeat->addWidget(repeat_);
    repeat->addWidget(new QLabel(qs(texts::SequenceTimes), box));
    repeat->addWidget(check(endless_, "repeatEndless", texts::SequenceRepeatEndless));
    repeat->addStretch(1);
    v->addLayout(repeat);
    v->addWidget(check(outputOn_, "outputOnAtStart", texts::SequenceOutputOnAtStart));
    v->addWidget(check(keepOn_, "keepOutputAtEnd", texts::SequenceKeepOutputAtEnd));

    auto* buttons = new QHBoxLayout;
    auto button = [&](QPushButton*& b, const char* text, const char* name) {
        b = new QPushButton(qs(text), box);
        b->setObjectName(name);
        buttons->addWidget(b);
    };
    button(start_, texts::SequenceStart, "startSequence");
    button(pause_, texts::SequencePause, "pauseSequence");
    button(abort_, texts::SequenceAbort, "abortSequence");
    buttons->addStretch(1);
    v->addLayout(buttons);
    state_ = new QLabel(box);
    state_->setObjectName("sequenceState");
    // Its text changes with every step; a size of its own keeps the layout from being worked
    // out again each time.
    state_->setFixedSize(480, state_->sizeHint().height());
    v->addWidget(state_);
    platform::describe(belowOn_, texts::A11yStopBelowHelp);
    platform::describe(belowAmps_, texts::A11yStopBelowAmpsHelp);
    platform::describe(belowSeconds_, texts::A11yStopBelowSecondsHelp);
    platform::describe(aboveOn_, texts::A11yStopAboveHelp);
    platform::describe(aboveVolts_, texts::A11yStopAboveVoltsHelp);
    platform::describe(afterOn_, texts::A11yStopAfterHelp);
    platform::describe(afterSeconds_, texts::A11yStopAfterSecondsHelp);
    platform::describe(chargeOn_, texts::A11yStopChargeHelp);
    platform::describe(chargeAh_, texts::A11yStopChargeAhHelp);
    platform::describe(repeat_, texts::A11yRepeatHelp, texts::SequenceRepeat);
    platform::describe(endless_, texts::A11yRepeatEndlessHelp);
    platform::describe(outputOn_, texts::A11yOutputOnAtStartHelp);
    platform::describe(keepOn_, texts::A11yKeepOutputAtEndHelp);
    platform::describe(start_, texts::A11ySequenceStartHelp);
    platform::describe(pause_, texts::A11ySequencePauseHelp);
    platform::describe(abort_, texts::A11ySequenceAbortHelp);
    connect(start_, &QPushButton::clicked, this, &SequencePage::start);
    connect(pause_, &QPushButton::clicked, this, &SequencePage::pauseOrResume);
    connect(abort_, &QPushButton::clicked, this, &SequencePage::abort);
    connect(endless_, &QCheckBox::toggled, repeat_, &QSpinBox::setDisabled);
    return box;
}

QWidget* SequencePage::createCharge() {
    auto* group = new QGroupBox(qs(texts::SequenceGroupCharge), this);
    auto* grid = new QGridLayout(group);
    chemistry_ = new QComboBox(group);
    chemistry_->setObjectName("chargeChemistry");
    for (Chemistry c : {Chemistry::LiIon, Chemistry::LiFePO4, Chemistry::NiMH})
        chemistry_->addItem(QString::fromUtf8(facts(c).label), static_cast<int>(c));
    cells_ = new QSpinBox(group);
    cells_->setObjectName("chargeCells");
    cells_->setRange(1, 12);
    auto field = [group](QLineEdit*& f, const char* name, const char* text, bool optional) {
        f = new QLineEdit(qs(text), group);
        f->setObjectName(name);
        f->setAlignment(Qt::AlignRight);
        if (optional)
            f->setPlaceholderText(qs(texts::ChargeDefault));
        return f;
    };
    const std::pair<const char*, QWidget*> rows[] = {
        {texts::ChargeChemistry, chemistry_},
        {texts::ChargeCells, cells_},
        {texts::ChargeCapacity, field(capacity_, "chargeCapacity", "1000", false)},
        {texts::ChargeRate, field(rate_, "chargeRate", "", true)},
        {texts::ChargeTermination, field(termination_, "chargeTermination", "", true)},
        {texts::ChargeMaxTime, field(maxTime_, "chargeMaxTime", "", true)},
    };
    int r = 0;
    for (const auto& [label, widget] : rows) {
        grid->addWidget(new QLabel(qs(label), group), r / 2, (r % 2) * 2);
        grid->addWidget(widget, r / 2, (r % 2) * 2 + 1);
        ++r;
    }
    startCharge_ = new QPushButton(qs(texts::ChargeStart), group);
    startCharge_->setObjectName("startCharge");
    grid->addWidget(startCharge_, 3, 3);
    platform::describe(chemistry_, texts::A11yChemistryHelp, texts::ChargeChemistry);
    platform::describe(cells_, texts::A11yCellsHelp, texts::ChargeCells);
    platform::describe(capacity_, texts::A11yCapacityHelp, texts::ChargeCapacity);
    platform::describe(rate_, texts::A11yRateHelp, texts::ChargeRate);
    platform::describe(termination_, texts::A11yTerminationHelp, texts::ChargeTermination);
    platform::describe(maxTime_, texts::A11yMaxTimeHelp, texts::ChargeMaxTime);
    platform::describe(startCharge_, texts::A11yStartChargeHelp);
    connect(startCharge_, &QPushButton::clicked, this, &SequencePage::startCharge);
    return group;
}

// --- the table ---

void SequencePage::setRow(int row, const Step& step) {
    editing_ = true;
    const QString texts[3] = {QString::fromStdString(SetpointRules::formatVolts(step.volts)),
                              QString::fromStdString(SetpointRules::formatAmps(step.amps)),
                              secondsField(step.seconds)};
    for (int c = 0; c < 3; ++c) {
        auto* item = new QTableWidgetItem(texts[c]);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(row, c, item);
    }
    auto* linear = new QTableWidgetItem;
    linear->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    linear->setCheckState(step.ramp == Ramp::Linear ? Qt::Checked : Qt::Unchecked);
    table_->setItem(row, ColumnLinear, linear);
    editing_ = false;
}

void SequencePage::addStep() {
    const int current = table_->currentRow();
    Step step{0.0, 0.1, 1.0, Ramp::Step};
    if (current >= 0)
        if (const auto all = steps())
            step = (*all)[static_cast<std::size_t>(current)];
    const int row = current >= 0 ? current + 1 : table_->rowCount();
    table_->insertRow(row);
    setRow(row, step);
    table_->setCurrentCell(row, ColumnVolts);
    refreshPreview();
}

void SequencePage::removeStep() {
    const int row = table_->currentRow();
    if (row < 0)
        return;
    table_->removeRow(row);
    refreshPreview();
}

void SequencePage::moveStep(int by) {
    const int row = table_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= table_->rowCount())
        return;
    editing_ = true;
    for (int c = 0; c < Columns; ++c) {
        QTableWidgetItem* a = table_->takeItem(row, c);
        QTableWidgetItem* b = table_->takeItem(to, c);
        table_->setItem(row, c, b);
        table_->setItem(to, c, a);
    }
    editing_ = false;
    table_->setCurrentCell(to, table_->currentColumn());
    refreshPreview();
}

std::string SequencePage::cellProblem(int row, int column) const {
    const QTableWidgetItem* item = table_->item(row, column);
    const QString text = item ? item->text() : QString();
    switch (column) {
    case ColumnVolts:
        return numberIn(text, 0.0, SetpointRules::MaxVolts) ? "" : texts::SequenceFileVolts;
    case ColumnAmps:
        return numberIn(text, 0.0, SetpointRules::MaxAmps) ? "" : texts::SequenceFileAmps;
    case ColumnSeconds:
        return numberIn(text, MinStepSeconds, MaxStepSeconds) ? "" : texts::SequenceFileSeconds;
    default:
        return "";
    }
}

void SequencePage::cellEdited(QTableWidgetItem* item) {
    if (editing_)
        return;
    const int column = item->column();
    if (column != ColumnLinear) {
        const std::string problem = cellProblem(item->row(), column);
        editing_ = true;
        item->setBackground(problem.empty() ? QBrush() : QBrush(RefusedColor));
        item->setToolTip(QString::fromStdString(problem));
        if (problem.empty()) {
            // Shown as the panel shows set-points.
            const double v = std::strtod(item->text().trimmed().toStdString().c_str(), nullptr);
            item->setText(
                column == ColumnVolts  ? QString::fromStdString(SetpointRules::formatVolts(v))
                : column == ColumnAmps ? QString::fromStdString(SetpointRules::formatAmps(v))
                                       : secondsField(v));
        }
        editing_ = false;
    }
    refreshPreview();
}

std::optional<std::vector<Step>> SequencePage::steps() const {
    std::vector<Step> out;
    for (int r = 0; r < table_->rowCount(); ++r) {
        for (int c = 0; c < ColumnLinear; ++c)
            if (!cellProblem(r, c).empty())
                return std::nullopt;
        auto value = [this, r](int c) {
            return std::strtod(table_->item(r, c)->text().trimmed().toStdString().c_str(), nullptr);
        };
        const QTableWidgetItem* linear = table_->item(r, ColumnLinear);
        out.push_back({value(ColumnVolts), value(ColumnAmps), value(ColumnSeconds),
                       linear && linear->checkState() == Qt::Checked ? Ramp::Linear : Ramp::Step});
    }
    return out;
}

void SequencePage::loadSteps() {
    const auto path = platform::prompter().openFileName(this, texts::FilterSequence.str(), "");
    if (!path)
        return;
    const StepsRead read = sequence::loadSteps(*path);
    if (!read.ok()) {
        refused(printed(texts::SequenceFileRefused, path->c_str()) + "\n" + problemsText(read));
        return;
    }
    table_->setRowCount(0);
    for (const Step& s : read.steps) {
        table_->insertRow(table_->rowCount());
        setRow(table_->rowCount() - 1, s);
    }
    log_(printed(texts::SequenceFileLoaded, path->c_str()));
    refreshPreview();
}

void SequencePage::saveSteps() {
    if (!cellsValid())
        return;
    const auto all = steps();
    // A table without steps would leave a file with its header alone.
    if (all->empty() && platform::prompter().messageBox(
                            this, texts::SequenceSaveEmptyQuestion.str(), texts::MainCaption.str(),
                            platform::PromptIcon::Question,
                            platform::PromptButtons::YesNo) != platform::PromptAnswer::Yes)
        return;
    const auto path = platform::prompter().saveFileName(this, texts::FilterSequence.str(), "");
    if (!path)
        return;
    const FileChoice choice = askBeforeReplacing(this, *path);
    if (choice == FileChoice::Kept)
        return;
    if (choice == FileChoice::Refused) {
        refused(texts::fill(texts::FileNotReplaceable, *path));
        return;
    }
    if (!sequence::saveSteps(*path, *all)) {
        refused(printed(texts::SequenceFileSaveFailed, path->c_str()));
        return;
    }
    log_(printed(texts::SequenceFileSaved, path->c_str()));
}

// --- running ---

void SequencePage::refused(const std::string& message, int row) {
    // A message of several lines goes to the log a line at a time.
    std::size_t at = 0;
    while (at <= message.size()) {
        const auto end = message.find('\n', at);
        log_(message.substr(at, end == std::string::npos ? end : end - at));
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    if (row >= 0 && row < table_->rowCount())
        table_->setCurrentCell(row, ColumnVolts);
    platform::prompter().messageBox(this, message, texts::CaptionError.str(),
                                    platform::PromptIcon::Stop, platform::PromptButtons::Ok);
}

bool SequencePage::cellsValid() {
    for (int r = 0; r < table_->rowCount(); ++r)
        for (int c = 0; c < ColumnLinear; ++c)
            if (const std::string problem = cellProblem(r, c); !problem.empty()) {
                refused(printed(texts::SequenceCellRefused, r + 1, problem.c_str()), r);
                return false;
            }
    return true;
}

void SequencePage::start() {
    if (!cellsValid())
        return;
    Sequence s;
    s.steps = *steps();
    s.repeat = endless_->isChecked() ? Endless : static_cast<unsigned>(repeat_->value());
    bool stopsOk = true;
    auto stop = [&](QCheckBox* on, QLineEdit* field, double min,
                    double max) -> std::optional<double> {
        mark(field, false);
        if (!on->isChecked())
            return std::nullopt;
        auto v = numberIn(field->text(), min, max);
        if (!v || *v <= 0.0) {
            mark(field, true);
            stopsOk = false;
        }
        return v;
    };
    const auto below = stop(belowOn_, belowAmps_, 0.0, SetpointRules::MaxAmps);
    const auto belowFor = stop(belowOn_, belowSeconds_, 0.0, MaxStepSeconds);
    s.stops.voltageAbove = stop(aboveOn_, aboveVolts_, 0.0, SetpointRules::MaxVolts);
    s.stops.elapsedSeconds = stop(afterOn_, afterSeconds_, 0.0, 3.0e9);
    s.stops.chargeAboveAh = stop(chargeOn_, chargeAh_, 0.0, 1.0e6);
    if (!stopsOk) {
        refused(texts::SequenceRefusedStop.str());
        return;
    }
    if (below && belowFor)
        s.stops.currentBelow = CurrentBelow{*below, *belowFor};
    RunOptions options;
    options.outputOnAtStart = outputOn_->isChecked();
    options.keepOutputAtEnd = keepOn_->isChecked();
    if (const Refusal r = runner().start(s, options)) {
        refused(refusalText(r), r.step - 1);
        return;
    }
    pageRunStart_ = runner().startedAtMs();
    tableRun_ = true;
    showState();
}

void SequencePage::startCharge() {
    ChargeSettings settings;
    settings.chemistry = static_cast<Chemistry>(chemistry_->currentData().toInt());
    settings.cells = cells_->value();
    bool ok = true;
    auto optional = [&ok](QLineEdit* f, const char* problem, std::string& first) {
        mark(f, false);
        if (f->text().trimmed().isEmpty())
            return std::optional<double>();
        auto v = numberIn(f->text(), 0.0, 1.0e9);
        if (!v) {
            mark(f, true);
            if (ok)
                first = problem;
            ok = false;
        }
        return v;
    };
    std::string problem;
    const auto capacity = optional(capacity_, texts::ChargeCapacityRefused, problem);
    settings.rateC = optional(rate_, texts::ChargeRateRefused, problem);
    settings.terminationA = optional(termination_, texts::ChargeTerminationRefused, problem);
    settings.maxTimeS = optional(maxTime_, texts::ChargeMaxTimeRefused, problem);
    if (ok && !capacity) {
        mark(capacity_, true);
        ok = false;
        problem = texts::ChargeCapacityRefused;
    }
    if (!ok) {
        refused(problem);
        return;
    }
    settings.capacityMah = *capacity;
    const ChargeBuild build = chargeSequence(settings);
    if (!build.plan) {
        refused(build.problem);
        return;
    }
    if (const Refusal r = runner().start(build.plan->sequence, build.plan->options)) {
        refused(refusalText(r));
        return;
    }
    pageRunStart_ = runner().startedAtMs();
    tableRun_ = false;
    showState();
}

void SequencePage::pauseOrResume() {
    if (runner().state() == RunState::Running)
        runner().pause();
    else
        runner().resume();
}

void SequencePage::abort() {
    runner().abort();
}

void SequencePage::highlightRow(int row) {
    if (row == highlighted_)
        return;
    editing_ = true;
    for (int r : {highlighted_, row}) {
        if (r < 0 || r >= table_->rowCount())
            continue;
        for (int c = 0; c < Columns; ++c)
            if (QTableWidgetItem* item = table_->item(r, c))
                item->setBackground(r == row ? QBrush(RunningColor) : QBrush());
    }
    editing_ = false;
    highlighted_ = row;
}

void SequencePage::showState() {
    const Runner& r = runner();
    const bool idle = !r.running();
    for (QWidget* w :
         std::initializer_list<QWidget*>{table_, add_, remove_, up_, down_, load_, start_,
                                         startCharge_, repeat_, endless_, outputOn_, keepOn_})
        w->setEnabled(idle);
    repeat_->setEnabled(idle && !endless_->isChecked());
    pause_->setEnabled(!idle);
    abort_->setEnabled(!idle);
    pause_->setText(
        qs(r.state() == RunState::Paused ? texts::SequenceResume : texts::SequencePause));
    showStepsOfRunElsewhere(!idle && !runFromHere());
    if (idle) {
        state_->setText(qs(texts::SequenceIdle));
        highlightRow(-1);
    } else {
        const Progress p = r.progress();
        const std::string rounds =
            r.plan().repeat() == Endless
                ? std::to_string(p.round) + "/" + texts::SequenceEndless
                : std::to_string(p.round) + "/" + std::to_string(r.plan().repeat());
        state_->setText(QString::fromStdString(printed(
            r.state() == RunState::Paused ? texts::SequencePausedState : texts::SequenceRunning,
            p.step, r.plan().steps().size(), rounds.c_str(), clockText(p.stepLeftMs).c_str())));
        highlightRow((runFromHere() && tableRun_) || shownRunStart_ ? p.step - 1 : -1);
    }
    refreshPreview();
}

void SequencePage::showStepsOfRunElsewhere(bool elsewhere) {
    const Runner& r = runner();
    if (elsewhere ? shownRunStart_ == r.startedAtMs() : !shownRunStart_)
        return;
    highlightRow(-1);
    editing_ = true;
    if (!shownRunStart_) {
        localCurrentRow_ = table_->currentRow();
        localRows_.clear();
        for (int row = 0; row < table_->rowCount(); ++row) {
            auto& kept = localRows_.emplace_back();
            for (int c = 0; c < Columns; ++c)
                kept.emplace_back(table_->takeItem(row, c));
        }
    }
    table_->setRowCount(0);
    if (elsewhere) {
        for (const Step& s : stepsOf(r.plan())) {
            table_->insertRow(table_->rowCount());
            setRow(table_->rowCount() - 1, s);
        }
        shownRunStart_ = r.startedAtMs();
    } else {
        table_->setRowCount(static_cast<int>(localRows_.size()));
        for (std::size_t row = 0; row < localRows_.size(); ++row)
            for (int c = 0; c < Columns; ++c)
                table_->setItem(static_cast<int>(row), c,
                                localRows_[row][static_cast<std::size_t>(c)].release());
        localRows_.clear();
        if (localCurrentRow_ >= 0)
            table_->setCurrentCell(localCurrentRow_, ColumnVolts);
        shownRunStart_.reset();
    }
    editing_ = false;
}

void SequencePage::refreshPreview() {
    PreviewPicture pic;
    pic.capacityWatts = SetpointRules::powerCapacity(session_.status().source);
    const Runner& r = runner();
    std::vector<Step> shown;
    if (r.running()) {
        // The plan that runs, whoever started it.
        shown = stepsOf(r.plan());
        const Progress p = r.progress();
        if (p.step > 0) {
            const PlannedStep& s = r.plan().steps()[static_cast<std::size_t>(p.step - 1)];
            pic.nowSeconds = (s.startMs + s.durationMs - p.stepLeftMs) / 1000.0;
        }
    } else if (const auto all = steps()) {
        shown = *all;
    }
    pic.line = previewLine(shown, session_.voltageSetpoint(), session_.currentSetpoint());
    preview_->show(std::move(pic));
}

// --- the window and the session ---

void SequencePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Closing the window that shows a running sequence asks first.
    if (window() != this && window() != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = window();
        watchedWindow_->installEventFilter(this);
    }
}

bool SequencePage::runFromHere() const {
    const Runner& r = driver_.runner();
    return r.running() && pageRunStart_ && *pageRunStart_ == r.startedAtMs();
}

bool SequencePage::eventFilter(QObject* watched, QEvent* event) {
    // A run that a remote client started is not the window's to end.
    if (watched == watchedWindow_ && event->type() == QEvent::Close && runFromHere()) {
        const auto answer = platform::prompter().messageBox(
            this, texts::SequenceCloseRunning.str(), texts::MainCaption.str(),
            platform::PromptIcon::Question, platform::PromptButtons::YesNo);
        if (answer != platform::PromptAnswer::Yes) {
            event->ignore();
            return true;
        }
        runner().abort(EndReason::WindowClosed);
    }
    return QWidget::eventFilter(watched, event);
}

void SequencePage::onReading(const session::Reading&) {
    // The time left moves on between the steps.
    if (runner().running())
        showState();
}

void SequencePage::onSourceChanged(PowerSource) {
    refreshPreview();
}

void SequencePage::onConnected(bool) {
    refreshPreview();
}
