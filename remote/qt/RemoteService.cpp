#include "remote/qt/RemoteService.h"

#include "platform/Clock.h"
#include "remote/RemoteMessages.h"
#include "remote/qt/LoopDriver.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"

#include <QTimer>

#include <algorithm>
#include <cstdio>

RemoteService::RemoteService(session::MeasurementSession& session, const CIni& ini, LogFunction log,
                             QObject* parent)
    : QObject(parent), ini_(ini), log_(log), control_(session, log),
      watchers_(this, [this](platform::SocketHandle socket, bool readable) {
          serve([this, socket, readable] {
              if (readable)
                  control_.server().onReadable(socket);
              else
                  control_.server().onWritable(socket);
          });
      }) {
    work_ = new QTimer(this);
    work_->setSingleShot(true);
    work_->setInterval(0);
    connect(work_, &QTimer::timeout, this,
            [this] { serve([this] { control_.server().executeNext(); }); });
    // A VXI-11 call that waits (a read, a lock) is answered when its time is up.
    deadline_ = new QTimer(this);
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this,
            [this] { serve([this] { control_.server().serviceDeadlines(); }); });
    control_.setClientsChanged([this] { emit changed(); });
    if (remote::LoopSource* announcer = control_.announcer())
        announcer_ = new LoopDriver(*announcer, this, [this, announcer] {
            serve([announcer] { announcer->serveTurn(); });
        });
}

RemoteService::~RemoteService() {
    control_.setClientsChanged(nullptr);
    delete announcer_;
    control_.stop();
}

QString RemoteService::mainCaption(std::size_t clients) {
    if (clients == 0)
        return QString::fromUtf8(texts::MainCaption.c_str());
    char caption[128];
    std::snprintf(caption, sizeof caption, texts::MainCaptionRemote, static_cast<int>(clients));
    return QString::fromUtf8(caption);
}

void RemoteService::startFromSettings() {
    std::vector<std::string> bad;
    settings_ = remote::RemoteSettings::load(ini_, bad);
    for (const std::string& key : bad)
        log_(texts::fill(texts::LogRemoteSettingBad, key));
    if (settings_.enabled)
        serve([this] {
            if (control_.start(settings_.options()) == remote::StartResult::Ok)
                control_.announce(settings_.announce, httpPort());
        });
    emit changed();
}

remote::StartResult RemoteService::apply(const remote::RemoteSettings& settings) {
    const bool moved = settings.listen.ipv4 != settings_.listen.ipv4 ||
                       settings.listen.port != settings_.listen.port ||
                       settings.allowText() != settings_.allowText() ||
                       settings.vxi11 != settings_.vxi11;
    settings_ = settings;
    settings_.save(ini_);
    remote::StartResult result = remote::StartResult::Ok;
    serve([&] {
        if (!settings_.enabled || moved)
            control_.stop();
        if (settings_.enabled && !control_.server().listening())
            result = control_.start(settings_.options());
        control_.announce(settings_.announce, httpPort());
    });
    emit changed();
    return result;
}

void RemoteService::reannounce() {
    if (settings_.enabled)
        serve([this] { control_.announce(settings_.announce, httpPort()); });
}

std::optional<std::uint16_t> RemoteService::httpPort() const {
    return httpPort_ ? httpPort_() : std::nullopt;
}

template <typename Call> void RemoteService::serve(Call call) {
    if (inside_)
        return;
    inside_ = true;
    call();
    inside_ = false;
    follow();
}

void RemoteService::follow() {
    if (announcer_)
        announcer_->follow();
    watchers_.follow(control_.server().watches());
    if (control_.server().hasWork() && !work_->isActive())
        work_->start();
    if (const auto due = control_.server().nextDeadlineMs()) {
        const std::int64_t left = std::max<std::int64_t>(0, *due - platform::monotonicMs());
        deadline_->start(static_cast<int>(std::min<std::int64_t>(left, 24 * 3600 * 1000)));
    } else {
        deadline_->stop();
    }
}
