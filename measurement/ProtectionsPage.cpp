#include "measurement/ProtectionsPage.h"

#include "config/Settings.h"
#include "platform/qt/Accessible.h"
#include "platform/qt/Prompter.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"
#include "session/SessionMessages.h"
#include "session/SessionSettings.h"

#include <QCheckBox>
#include <QDoubleValidator>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <cstdio>
#include <optional>

namespace {

using session::ProtectionKind;

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A plain decimal number, nothing else.
std::optional<double> readLevel(const QLineEdit* field) {
    bool ok = false;
    const double v = field->text().trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

QString levelText(ProtectionKind kind, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, kind == ProtectionKind::OverVoltage ? "%.2f" : "%.3f", v);
    return QString::fromUtf8(buf);
}

const char* unitOf(ProtectionKind kind) {
    return kind == ProtectionKind::OverVoltage   ? "V"
           : kind == ProtectionKind::OverCurrent ? "A"
                                                 : "W";
}

// The state of a protection that tripped at the value.
QString tripText(ProtectionKind kind, double value) {
    return qs(texts::ProtectionTripped) + " (" +
           QString::fromStdString(session::formatLevel(kind, value)) + ")";
}

} // namespace

ProtectionsPage::ProtectionsPage(session::MeasurementSession& session, const Settings& settings,
                                 MeasurementWindow::LogFunction log, QWidget* parent)
    : QWidget(parent), session_(session), settings_(settings), log_(std::move(log)) {
    setObjectName("protectionsPage");
    auto* grid = new QGridLayout(this);
    const char* heads[4] = {texts::ProtectionEnabled, texts::ProtectionLevel,
                            texts::ProtectionState, ""};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(qs(heads[c]), this), 0, c + 1);
    const char* names[3] = {"ovp", "ocp", "opp"};
    int row = 1;
    for (int k = 0; k < session::ProtectionKinds; ++k, ++row) {
        const auto kind = static_cast<ProtectionKind>(k);
        const QString name = qs(session::protectionName(kind));
        Row& r = rows_[k];
        grid->addWidget(new QLabel(name, this), row, 0);
        r.enabled = new QCheckBox(this);
        r.enabled->setObjectName(QString(names[k]) + "Enabled");
        r.enabled->setAccessibleName(name + " " + qs(texts::ProtectionEnabled));
        platform::describe(r.enabled, texts::A11yProtectionEnabledHelp);
        grid->addWidget(r.enabled, row, 1);
        r.level = new QLineEdit(this);
        r.level->setObjectName(QString(names[k]) + "Level");
        r.level->setAccessibleName(name + " " + qs(texts::ProtectionLevel));
        platform::describe(r.level, texts::A11yProtectionLevelHelp);
        r.level->setAlignment(Qt::AlignRight);
        r.level->setMaximumWidth(100);
        auto* levelBox = new QHBoxLayout;
        levelBox->addWidget(r.level);
        levelBox->addWidget(new QLabel(QString::fromUtf8(unitOf(kind)), this));
        grid->addLayout(levelBox, row, 2);
        r.state = new QLabel(this);
        r.state->setObjectName(QString(names[k]) + "State");
        // As wide as the widest state it shows (a trip, in bold), so that the buttons beside
        // it stay where they are when a trip appears.
        QFont bold = r.state->font();
        bold.setBold(true);
        r.state->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(tripText(kind, 88.888)));
        grid->addWidget(r.state, row, 3);
        r.clear = new QPushButton(qs(texts::ProtectionClear), this);
        r.clear->setObjectName(QString(names[k]) + "Clear");
        r.clear->setAccessibleName(name + " " + qs(texts::ProtectionClear));
        platform::describe(r.clear, texts::A11yProtectionClearHelp);
        grid->addWidget(r.clear, row, 4);
        connect(r.clear, &QPushButton::clicked, this, [this, kind] { clear(kind); });
    }
    grid->addWidget(new QLabel(qs(texts::ProtectionDelay), this), row, 0);
    delay_ = new QLineEdit(this);
    delay_->setObjectName("ocpDelay");
    platform::describe(delay_, texts::A11yProtectionDelayHelp, texts::ProtectionDelay);
    delay_->setAlignment(Qt::AlignRight);
    delay_->setMaximumWidth(100);
    auto* delayBox = new QHBoxLayout;
    delayBox->addWidget(delay_);
    delayBox->addWidget(new QLabel(qs(texts::UnitSeconds), this));
    grid->addLayout(delayBox, row++, 2);

    autoReconnect_ = new QCheckBox(qs(texts::SessionAutoReconnect), this);
    autoReconnect_->setObjectName("autoReconnect");
    platform::describe(autoReconnect_, texts::A11yAutoReconnectHelp);
    grid->addWidget(autoReconnect_, row++, 0, 1, 5);
    applyButton_ = new QPushButton(qs(texts::ButtonApply), this);
    applyButton_->setObjectName("applyProtections");
    platform::describe(applyButton_, texts::A11yApplyHelp);
    grid->addWidget(applyButton_, row++, 4);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(5, 1);
    connect(applyButton_, &QPushButton::clicked, this, &ProtectionsPage::apply);

    session_.addObserver(this);
    showSettings();
    showStates();
}

ProtectionsPage::~ProtectionsPage() {
    session_.removeObserver(this);
}

void ProtectionsPage::showSettings() {
    const session::Protections& p = session_.protections();
    for (int k = 0; k < session::ProtectionKinds; ++k) {
        const auto kind = static_cast<ProtectionKind>(k);
        rows_[k].enabled->setChecked(p.setting(kind).enabled);
        rows_[k].level->setText(levelText(kind, p.setting(kind).level));
        mark(rows_[k].level, false);
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", p.setting(ProtectionKind::OverCurrent).delaySeconds);
    delay_->setText(QString::fromUtf8(buf));
    mark(delay_, false);
    autoReconnect_->setChecked(session_.autoReconnect());
}

void ProtectionsPage::showStates() {
    const session::Protections& p = session_.protections();
    for (int k = 0; k < session::ProtectionKinds; ++k) {
        const auto& trip = p.trip(static_cast<ProtectionKind>(k));
        rows_[k].state->setText(trip ? tripText(trip->kind, trip->value)
                                     : qs(texts::ProtectionNormal));
        rows_[k].state->setStyleSheet(trip ? "color: rgb(192, 0, 0); font-weight: bold;" : "");
        rows_[k].clear->setEnabled(trip.has_value());
    }
}

void ProtectionsPage::mark(QLineEdit* field, bool refused) {
    QPalette p = field->palette();
    p.setColor(QPalette::Base, refused ? QColor(255, 255, 0)
                                       : field->style()->standardPalette().color(QPalette::Base));
    field->setPalette(p);
}

void ProtectionsPage::apply() {
    // Checked on a copy first, so that a refused entry changes nothing.
    session::Protections check = session_.protections();
    std::string refusal;
    for (int k = 0; k < session::ProtectionKinds; ++k) {
        const auto kind = static_cast<ProtectionKind>(k);
        const auto v = readLevel(rows_[k].level);
        const bool ok = v && check.setLevel(kind, *v) == session::LevelResult::Ok;
        mark(rows_[k].level, !ok);
        if (!ok && refusal.empty())
            refusal = session::levelRefusedMessage(kind);
    }
    const auto d = readLevel(delay_);
    const bool delayOk = d && check.setDelay(*d) == session::LevelResult::Ok;
    mark(delay_, !delayOk);
    if (!delayOk && refusal.empty())
        refusal = texts::LogProtectionDelayRefused;
    if (!refusal.empty()) {
        log_(refusal);
        platform::prompter().messageBox(this, refusal, texts::CaptionError.str(),
                                        platform::PromptIcon::Stop, platform::PromptButtons::Ok);
        return;
    }
    for (int k = 0; k < session::ProtectionKinds; ++k)
        check.setEnabled(static_cast<ProtectionKind>(k), rows_[k].enabled->isChecked());
    session::Protections& p = session_.protections();
    for (int k = 0; k < session::ProtectionKinds; ++k) {
        const auto kind = static_cast<ProtectionKind>(k);
        p.setLevel(kind, check.setting(kind).level);
        p.setEnabled(kind, check.setting(kind).enabled);
    }
    p.setDelay(check.setting(ProtectionKind::OverCurrent).delaySeconds);
    session_.setAutoReconnect(autoReconnect_->isChecked());
    session::SessionSettings::of(session_).save(settings_.ini());
    showSettings();
}

void ProtectionsPage::clear(ProtectionKind kind) {
    session_.protections().clear(kind);
    log_(session::clearedMessage(kind));
    showStates();
}

void ProtectionsPage::onTrip(const session::Trip&) {
    showStates();
}

void ProtectionsPage::onConnected(bool) {
    showStates();
}

void ProtectionsPage::onProtectionsChanged() {
    // Changed elsewhere (a remote client): the page shows what is in force, so that Apply
    // does not put back what it showed before.
    showSettings();
    showStates();
}
