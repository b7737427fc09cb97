#include "remote/qt/LoopDriver.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

LoopDriver::LoopDriver(remote::LoopSource& source, QObject* parent, std::function<void()> turn)
    : QObject(parent), source_(source), turn_(std::move(turn)) {
    due_ = new QTimer(this);
    due_->setSingleShot(true);
    connect(due_, &QTimer::timeout, this, &LoopDriver::serve);
}

LoopDriver::~LoopDriver() {
    for (auto& [socket, n] : notifiers_)
        for (QSocketNotifier* q : {n.read, n.write})
            delete q;
}

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
    const std::vector<remote::Watch> watches = source_.watches();
    for (auto it = notifiers_.begin(); it != notifiers_.end();) {
        const bool watched =
            std::any_of(watches.begin(), watches.end(),
                        [&](const remote::Watch& w) { return w.socket == it->first; });
        if (watched) {
            ++it;
            continue;
        }
        // The notifier may be the one whose signal is being delivered: it goes once that ends.
        for (QSocketNotifier* q : {it->second.read, it->second.write}) {
            q->setEnabled(false);
            q->deleteLater();
        }
        it = notifiers_.erase(it);
    }
    for (const remote::Watch& w : watches) {
        Notifiers& n = notifiers_[w.socket];
        if (!n.read) {
            n.read = new QSocketNotifier(w.socket, QSocketNotifier::Read, this);
            n.write = new QSocketNotifier(w.socket, QSocketNotifier::Write, this);
            connect(n.read, &QSocketNotifier::activated, this, &LoopDriver::serve);
            connect(n.write, &QSocketNotifier::activated, this, &LoopDriver::serve);
        }
        n.read->setEnabled(w.read);
        n.write->setEnabled(w.write);
    }
    const int due = source_.dueInMs();
    if (due >= 0)
        due_->start(due);
    else
        due_->stop();
}
