#include "remote/qt/LoopDriver.h"

#include <QTimer>

LoopDriver::LoopDriver(remote::LoopSource& source, QObject* parent, std::function<void()> turn)
    : QObject(parent), source_(source), turn_(std::move(turn)),
      watchers_(this, [this](platform::SocketHandle, bool) { serve(); }) {
    due_ = new QTimer(this);
    due_->setSingleShot(true);
    connect(due_, &QTimer::timeout, this, &LoopDriver::serve);
}

LoopDriver::~LoopDriver() = default;

void LoopDriver::serve() {
    if (turn_) {
        turn_();
        return;
    }
    // A message box opened by an observer of a change must not let the source run inside
    // itself.
    if (inside_)
        return;
    inside_ = true;
    source_.serveTurn();
    inside_ = false;
    follow();
    emit served();
}

void LoopDriver::follow() {
    watchers_.follow(source_.watches());
    const int due = source_.dueInMs();
    if (due >= 0)
        due_->start(due);
    else
        due_->stop();
}
