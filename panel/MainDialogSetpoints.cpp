// Set-point entry, the stepping arrows, the derive boxes and output switching.
#include "panel/MainDialog.h"

#include "panel/SpinArrows.h"
#include "resources/Texts.h"
#include "session/SessionMessages.h"
#include "session/SetpointRules.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyle>

#include <cstdio>

namespace {

// Keys that are commands rather than characters: moving the focus on and the editing
// shortcuts (their text is a control character, which the filter would otherwise swallow).
bool isFieldCommand(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return true;
    for (auto standard : {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut,
                          QKeySequence::Paste, QKeySequence::Undo, QKeySequence::Redo})
        if (key->matches(standard))
            return true;
    return false;
}

} // namespace

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    // Only digits, "." and backspace may be typed into the set-point fields; every other
    // character, control characters included, is swallowed. Tab and the editing shortcuts
    // are commands, not characters, and work as in any field.
    if ((watched == voltageEdit || watched == currentEdit) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && key->key() != Qt::Key_Backspace && !isFieldCommand(key)) {
            for (QChar c : text) {
                if (!SetpointRules::isAllowedCharacter(c.unicode()))
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::refreshRejectHighlight() {
    auto paint = [](QLineEdit* edit, bool rejected) {
        QPalette p = edit->palette();
        QColor want =
            rejected ? QColor(255, 255, 0) : edit->style()->standardPalette().color(QPalette::Base);
        if (p.color(QPalette::Base) == want)
            return;
        p.setColor(QPalette::Base, want);
        edit->setPalette(p);
    };
    paint(voltageEdit, session_->voltageSetpoint() < 0);
    paint(currentEdit, session_->currentSetpoint() < 0);
}

void MainDialog::OnVoltageSpin(int step) {
    voltageEdit->setText(QString::fromStdString(
        SetpointRules::stepVoltageText(voltageEdit->text().left(259).toStdString(), step,
                                       voltageSpin->lower(), voltageSpin->upper())));
}

void MainDialog::OnCurrentSpin(int step) {
    currentEdit->setText(QString::fromStdString(
        SetpointRules::stepCurrentText(currentEdit->text().left(259).toStdString(), step,
                                       currentSpin->lower(), currentSpin->upper())));
}

void MainDialog::applyDecision(bool voltageLeading) {
    using session::SetpointOrigin;
    using SetpointRules::Outcome;
    const bool derive = voltageLeading ? deriveCurrent->isChecked() : deriveVoltage->isChecked();
    const auto d = SetpointRules::decide(
        voltageLeading ? SetpointRules::Leading::Voltage : SetpointRules::Leading::Current,
        voltageEdit->text().toStdString(), currentEdit->text().toStdString(),
        session_->status().source, derive, session_->voltageSetpoint(), session_->currentSetpoint(),
        SetpointRules::Reading::WholeText);
    if (d.rewriteVoltage)
        voltageEdit->setText(QString::fromStdString(d.voltageText));
    if (d.rewriteCurrent)
        currentEdit->setText(QString::fromStdString(d.currentText));
    const char* refusal = nullptr;
    switch (d.outcome) {
    case Outcome::VoltageTooHigh:
        refusal = texts::LogVoltageTooHigh;
        break;
    case Outcome::CurrentTooHigh:
        refusal = texts::LogCurrentTooHigh;
        break;
    case Outcome::PowerTooHigh:
        refusal = texts::LogPowerTooHigh;
        break;
    case Outcome::NotANumber:
        refusal = texts::LogNotANumber;
        break;
    case Outcome::Send:
        break;
    }
    if (refusal) {
        session_->holdSetpoints(d.voltageSetpoint, d.currentSetpoint, SetpointOrigin::Operator);
        refreshRejectHighlight();
        AppendSystemLog(refusal);
        return;
    }
    session_->sendSetpoints(d.voltageSetpoint, d.currentSetpoint, SetpointOrigin::Operator,
                            d.rewriteVoltage, d.rewriteCurrent);
    refreshRejectHighlight();
    char message[256];
    std::snprintf(message, sizeof message, texts::LogSetpointSent, d.voltageSetpoint,
                  d.currentSetpoint);
    AppendSystemLog(message);
}

void MainDialog::OnSetVoltage() {
    applyDecision(true);
}

void MainDialog::OnSetCurrent() {
    applyDecision(false);
}

void MainDialog::OnDeriveCurrentCheck() {
    if (deriveVoltage->isChecked())
        deriveVoltage->setChecked(false);
}

void MainDialog::OnDeriveVoltageCheck() {
    if (deriveCurrent->isChecked())
        deriveCurrent->setChecked(false);
}

void MainDialog::OnOutputButton() {
    const bool on = session_->status().outputOn == 0;
    DeviceResult sent = DeviceResult::Ok;
    switch (session_->requestOutput(on, &sent)) {
    case session::OutputRequest::Refused:
        AppendSystemLog(texts::LogOutputRefusedTripped.str());
        return;
    case session::OutputRequest::Failed:
    case session::OutputRequest::NotConnected:
        // The lamp stays as the device last confirmed it.
        AppendSystemLog(session::outputFailedMessage(on, sent));
        return;
    case session::OutputRequest::Confirmed:
        break;
    }
    showLamp(on);
    AppendSystemLog(on ? texts::LogOutputOnByOperator.str() : texts::LogOutputOffByOperator.str());
}
