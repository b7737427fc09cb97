// Set-point entry, the stepping arrows, the derive boxes and output switching.
#include "panel/MainDialog.h"

#include "panel/SetpointRules.h"
#include "panel/SpinArrows.h"
#include "resources/Texts.h"

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
    paint(voltageEdit, voltageSetpoint < 0);
    paint(currentEdit, currentSetpoint < 0);
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
    using SetpointRules::Outcome;
    const bool derive = voltageLeading ? deriveCurrent->isChecked() : deriveVoltage->isChecked();
    const auto d = SetpointRules::decide(
        voltageLeading ? SetpointRules::Leading::Voltage : SetpointRules::Leading::Current,
        voltageEdit->text().toStdString(), currentEdit->text().toStdString(), status.source, derive,
        voltageSetpoint, currentSetpoint, SetpointRules::Reading::WholeText);
    voltageSetpoint = d.voltageSetpoint;
    currentSetpoint = d.currentSetpoint;
    if (d.rewriteVoltage)
        voltageEdit->setText(QString::fromStdString(d.voltageText));
    if (d.rewriteCurrent)
        currentEdit->setText(QString::fromStdString(d.currentText));
    refreshRejectHighlight();
    switch (d.outcome) {
    case Outcome::VoltageTooHigh:
        AppendSystemLog(texts::LogVoltageTooHigh);
        return;
    case Outcome::CurrentTooHigh:
        AppendSystemLog(texts::LogCurrentTooHigh);
        return;
    case Outcome::PowerTooHigh:
        AppendSystemLog(texts::LogPowerTooHigh);
        return;
    case Outcome::NotANumber:
        AppendSystemLog(texts::LogNotANumber);
        return;
    case Outcome::Send:
        break;
    }
    SupplyDevice::setOutput(voltageSetpoint, currentSetpoint);
    char message[256];
    std::snprintf(message, sizeof message, texts::LogSetpointSent, voltageSetpoint,
                  currentSetpoint);
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
    if (status.outputOn) {
        SupplyDevice::outputOff();
        status.outputOn = 0;
        lastOutputOn = 0;
        showLamp(false);
        AppendSystemLog(texts::LogOutputOffByOperator);
    } else {
        SupplyDevice::outputOn();
        status.outputOn = 1;
        lastOutputOn = 1;
        showLamp(true);
        AppendSystemLog(texts::LogOutputOnByOperator);
    }
}
