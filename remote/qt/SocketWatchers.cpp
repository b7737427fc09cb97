#include "remote/qt/SocketWatchers.h"

#include <QSocketNotifier>

#include <algorithm>

SocketWatchers::SocketWatchers(QObject* owner, Ready ready)
    : owner_(owner), ready_(std::move(ready)) {}

SocketWatchers::~SocketWatchers() {
    for (auto& [socket, n] : notifiers_)
        forget(n);
}

void SocketWatchers::forget(Notifiers& n) {
    // The notifier may be the one whose signal is being delivered: it goes once that ends.
    for (QSocketNotifier* q : {n.read, n.write}) {
        q->setEnabled(false);
        q->deleteLater();
    }
}

void SocketWatchers::follow(const std::vector<remote::Watch>& watches) {
    for (auto it = notifiers_.begin(); it != notifiers_.end();) {
        const bool watched =
            std::any_of(watches.begin(), watches.end(),
                        [&](const remote::Watch& w) { return w.socket == it->first; });
        if (watched) {
            ++it;
            continue;
        }
        forget(it->second);
        it = notifiers_.erase(it);
    }
    for (const remote::Watch& w : watches) {
        Notifiers& n = notifiers_[w.socket];
        if (!n.read) {
            const platform::SocketHandle socket = w.socket;
            n.read = new QSocketNotifier(socket, QSocketNotifier::Read, owner_);
            n.write = new QSocketNotifier(socket, QSocketNotifier::Write, owner_);
            QObject::connect(n.read, &QSocketNotifier::activated, owner_,
                             [this, socket] { ready_(socket, true); });
            QObject::connect(n.write, &QSocketNotifier::activated, owner_,
                             [this, socket] { ready_(socket, false); });
        }
        n.read->setEnabled(w.read);
        n.write->setEnabled(w.write);
    }
}
