#include "http/qt/HttpService.h"

#include "remote/RemoteSettings.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

HttpService::HttpService(session::MeasurementSession& session, const CIni& ini, LogFunction log,
                         std::string token, QObject* parent)
    : QObject(parent), ini_(ini), log_(log), control_(session, log, std::move(token)) {
    due_ = new QTimer(this);
    due_->setSingleShot(true);
    connect(due_, &QTimer::timeout, this, &HttpService::serve);
    control_.setClientsChanged([this] { emit changed(); });
}

HttpService::~HttpService() {
    control_.setClientsChanged(nullptr);
    control_.stop();
    for (auto& [socket, n] : notifiers_)
        for (QSocketNotifier* q : {n.read, n.write})
            delete q;
}

void HttpService::startFromSettings() {
    std::vector<std::string> bad;
    settings_ = http::HttpSettings::load(ini_, bad);
    for (const std::string& key : bad)
        log_(texts::fill(texts::LogHttpSettingBad, key));
    if (settings_.enabled)
        startServer();
    follow();
    emit changed();
}

remote::StartResult HttpService::startServer() {
    std::vector<std::string> ignored;
    http::HttpOptions o;
    o.listen = settings_.listen;
    o.allow = remote::RemoteSettings::load(ini_, ignored).allow;
    return control_.start(o);
}

remote::StartResult HttpService::apply(const http::HttpSettings& settings) {
    const bool moved = settings.listen.ipv4 != settings_.listen.ipv4 ||
                       settings.listen.port != settings_.listen.port;
    settings_ = settings;
    settings_.save(ini_);
    remote::StartResult result = remote::StartResult::Ok;
    if (!settings_.enabled || moved)
        control_.stop();
    if (settings_.enabled && !listening())
        result = startServer();
    follow();
    emit changed();
    return result;
}

void HttpService::serve() {
    // A message box opened by an observer of a change must not let the server run inside
    // itself.
    if (inside_)
        return;
    inside_ = true;
    control_.server().serveTurn();
    inside_ = false;
    follow();
}

void HttpService::follow() {
    const std::vector<remote::Watch> watches = control_.server().watches();
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
            connect(n.read, &QSocketNotifier::activated, this, &HttpService::serve);
            connect(n.write, &QSocketNotifier::activated, this, &HttpService::serve);
        }
        n.read->setEnabled(w.read);
        n.write->setEnabled(w.write);
    }
    const int due = control_.server().dueInMs();
    if (due >= 0)
        due_->start(due);
    else
        due_->stop();
}
