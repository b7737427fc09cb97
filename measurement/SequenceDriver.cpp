#include "measurement/SequenceDriver.h"

#include "platform/Clock.h"
#include "sequence/SessionSupply.h"

#include <QTimer>

#include <algorithm>
#include <climits>

SequenceDriver::SequenceDriver(session::MeasurementSession& session,
                               std::function<void(const std::string&)> log, QObject* parent)
    : QObject(parent), run_(std::make_unique<sequence::SessionRunner>(
                           session, std::move(log), sequence::Runner::Clock{}, "quorel")) {
    timer_ = new QTimer(this);
    timer_->setObjectName("sequenceTimer");
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &SequenceDriver::service);
    run_->setChangeHandler([this] {
        aim();
        emit changed();
    });
}

SequenceDriver::~SequenceDriver() {
    run_->setChangeHandler({});
    run_->runner().abort(sequence::EndReason::WindowClosed);
}

sequence::Runner& SequenceDriver::runner() {
    return run_->runner();
}

void SequenceDriver::service() {
    run_->runner().service();
    // A call a little early sets nothing and changes nothing: the timer is aimed again anyway.
    aim();
}

void SequenceDriver::aim() {
    const auto next = run_->runner().nextServiceMs();
    if (!next) {
        timer_->stop();
        return;
    }
    const std::int64_t wait = *next - platform::monotonicMs();
    timer_->start(static_cast<int>(std::clamp<std::int64_t>(wait, 0, INT_MAX)));
}
