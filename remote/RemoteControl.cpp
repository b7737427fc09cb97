#include "remote/RemoteControl.h"

#include "platform/Clock.h"
#include "remote/Portmapper.h"
#include "remote/RemoteMessages.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "sequence/Runner.h"
#include "session/MeasurementSession.h"

#include <algorithm>

namespace remote {

RemoteControl::RemoteControl(session::MeasurementSession& session, LogFunction log)
    : session_(session), log_(std::move(log)),
      instrument_(session, log_,
                  [this] {
                      const SocketAddress* peer = server_.executingFor();
                      return peer ? formatEndpoint(*peer) : std::string();
                  }),
      server_(instrument_, [this](const ClientReport& r) { report(r); }),
      announcer_(makeAnnouncer(log_)) {}

RemoteControl::~RemoteControl() {
    clientsChanged_ = nullptr;
    stop();
}

void RemoteControl::report(const ClientReport& r) {
    log_(clientMessage(r));
    if (clientsChanged_)
        clientsChanged_();
}

StartResult RemoteControl::start(const ServerOptions& options) {
    const StartResult r = server_.start(options);
    if (r == StartResult::Ok) {
        if (options.vxi11 && !server_.vxi11Offered())
            log_(texts::LogVxi11NotOffered.str());
        if (server_.vxi11Listening()) {
            log_(texts::fill(texts::LogVxi11Started, formatEndpoint(server_.vxi11Address())));
            if (usePortmapper_)
                registerVxi11();
        }
        log_(texts::fill(texts::LogRemoteStarted, formatEndpoint(server_.address())));
    } else if (r != StartResult::AlreadyListening) {
        log_(startFailedMessage(r, server_.failedAt()));
    }
    return r;
}

void RemoteControl::registerVxi11() {
    switch (remote::registerVxi11(server_.vxi11Address().port)) {
    case PortmapResult::Registered:
        registered_ = true;
        log_(texts::LogVxi11Registered.str());
        break;
    case PortmapResult::NoPortmapper:
        log_(texts::LogVxi11NoPortmapper.str());
        break;
    case PortmapResult::TakenByOther:
        log_(texts::LogVxi11TakenByOther.str());
        break;
    case PortmapResult::Failed:
        log_(texts::LogVxi11RegisterFailed.str());
        break;
    }
}

void RemoteControl::announce(bool asked, std::optional<std::uint16_t> httpPort) {
    if (!server_.listening() || (!asked && isLoopback(server_.address().ipv4))) {
        if (announcer_)
            announcer_->withdraw();
        return;
    }
    if (!announcer_) {
        log_(texts::LogAnnounceNotOffered.str());
        return;
    }
    Announcement a;
    a.listenIpv4 = server_.address().ipv4;
    a.rawPort = server_.address().port;
    if (server_.vxi11Listening())
        a.vxi11Port = server_.vxi11Address().port;
    a.httpPort = httpPort;
    // Without a device the supply is announced by its maker's name alone.
    scpi::Identity id;
    if (instrument_.identify(id) == scpi::InstrumentResult::Ok) {
        a.model = id.model;
        a.serial = id.serial;
        a.firmware = id.firmware;
    }
    announcer_->announce(a);
}

void RemoteControl::stop() {
    if (announcer_)
        announcer_->withdraw();
    if (registered_) {
        unregisterVxi11();
        registered_ = false;
    }
    if (!server_.listening())
        return;
    server_.stop();
    log_(texts::LogRemoteStopped.str());
}

void RemoteControl::setSequenceRunner(sequence::Runner* runner) {
    runner_ = runner;
    sequencer_ = runner ? std::make_unique<RunnerSequencer>(*runner, log_) : nullptr;
    instrument_.setSequencer(sequencer_.get());
}

void RemoteControl::run(const std::function<bool()>& stopNow) {
    std::vector<LoopSource*> others = others_;
    if (announcer_)
        others.push_back(announcer_.get());
    std::int64_t next = platform::monotonicMs();
    while (!stopNow()) {
        std::int64_t now = platform::monotonicMs();
        if (now >= next) {
            session_.poll();
            // A late poll moves the schedule on; missed polls are not made up.
            next = std::max(next + session::PollPeriodMs, platform::monotonicMs());
            continue;
        }
        std::int64_t until = next;
        if (runner_) {
            if (const auto due = runner_->nextServiceMs()) {
                if (*due <= now) {
                    runner_->service();
                    continue;
                }
                until = std::min(until, *due);
            }
        }
        now = platform::monotonicMs();
        if (until <= now)
            continue;
        // A wait that fails at once must not spin: the rest of the period passes asleep.
        if (!server_.runOnce(static_cast<int>(until - now), others))
            platform::sleepMs(static_cast<int>(until - now));
    }
}

} // namespace remote
