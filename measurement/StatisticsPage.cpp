#include "measurement/StatisticsPage.h"

#include "platform/qt/Accessible.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"
#include "session/SessionMessages.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString number(double v, int decimals, const char* unit) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f %s", decimals, v, unit);
    return QString::fromUtf8(buf);
}

} // namespace

StatisticsPage::StatisticsPage(session::MeasurementSession& session,
                               MeasurementWindow::LogFunction log, QWidget* parent)
    : QWidget(parent), session_(session), log_(std::move(log)) {
    setObjectName("statisticsPage");
    auto* grid = new QGridLayout(this);
    // The figures read at a glance from the bench: larger than the labels.
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    auto value = [this, big](const char* name) {
        auto* l = new QLabel(this);
        l->setFont(big);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        platform::describe(l, texts::A11yStatisticHelp);
        return l;
    };
    int row = 0;
    auto counter = [&](const char* title, const char* name) {
        grid->addWidget(new QLabel(qs(title), this), row, 0);
        QLabel* l = value(name);
        l->setAccessibleName(qs(title));
        grid->addWidget(l, row++, 1);
        return l;
    };
    charge_ = counter(texts::StatCharge, "charge");
    energy_ = counter(texts::StatEnergy, "energy");
    onTime_ = counter(texts::StatOutputOnTime, "outputOnTime");

    const char* heads[3] = {texts::StatMin, texts::StatMax, texts::StatMean};
    for (int c = 0; c < 3; ++c)
        grid->addWidget(new QLabel(qs(heads[c]), this), row, c + 1, Qt::AlignRight);
    ++row;
    const char* quantities[3] = {texts::StatVoltage, texts::StatCurrent, texts::StatPower};
    const char* names[3][3] = {{"voltageMin", "voltageMax", "voltageMean"},
                               {"currentMin", "currentMax", "currentMean"},
                               {"powerMin", "powerMax", "powerMean"}};
    for (int q = 0; q < 3; ++q, ++row) {
        grid->addWidget(new QLabel(qs(quantities[q]), this), row, 0);
        for (int c = 0; c < 3; ++c) {
            table_[q][c] = value(names[q][c]);
            table_[q][c]->setAccessibleName(qs(quantities[q]) + " " + qs(heads[c]));
            grid->addWidget(table_[q][c], row, c + 1);
        }
    }
    resetButton_ = new QPushButton(qs(texts::StatReset), this);
    resetButton_->setObjectName("resetCounters");
    platform::describe(resetButton_, texts::A11yResetCountersHelp);
    grid->addWidget(resetButton_, row++, 0);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(4, 1);
    grid->setHorizontalSpacing(24);
    connect(resetButton_, &QPushButton::clicked, this, &StatisticsPage::reset);

    session_.addObserver(this);
    refresh();
}

StatisticsPage::~StatisticsPage() {
    session_.removeObserver(this);
}

void StatisticsPage::onReading(const session::Reading&) {
    refresh();
}

void StatisticsPage::onConnected(bool) {
    refresh();
}

void StatisticsPage::reset() {
    session_.resetCounters();
    log_(texts::LogCountersReset.str());
    refresh();
}

void StatisticsPage::refresh() {
    const session::Counters& c = session_.counters();
    charge_->setText(number(c.chargeAh() * 1000.0, 3, "mAh"));
    energy_->setText(number(c.energyWh(), 4, "Wh"));
    onTime_->setText(QString::fromStdString(session::formatDuration(c.outputOnSeconds())));
    const bool any = c.readings() > 0;
    const session::Extremes e[3] = {c.voltage(), c.current(), c.power()};
    const int decimals[3] = {2, 3, 3};
    const char* units[3] = {"V", "A", "W"};
    for (int q = 0; q < 3; ++q) {
        const double v[3] = {e[q].min, e[q].max, e[q].mean};
        for (int k = 0; k < 3; ++k)
            table_[q][k]->setText(any ? number(v[k], decimals[q], units[q]) : QStringLiteral("-"));
    }
}
