#pragma once

#include "remote/Announcer.h"
#include "remote/LoopSource.h"
#include "remote/RunnerSequencer.h"
#include "remote/Server.h"
#include "remote/SessionInstrument.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace session {
class MeasurementSession;
}

// The remote control of one measurement session: the instrument server with the session as
// its instrument, every client's arrival and leaving written to the system log with its
// address. The panel drives it from its event loop, quorelctl serve from run().
namespace remote {

class RemoteControl {
public:
    using LogFunction = std::function<void(const std::string&)>;

    RemoteControl(session::MeasurementSession& session, LogFunction log);
    ~RemoteControl();
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    // Starts listening and logs where, or why not.
    StartResult start(const ServerOptions& options);
    // Closes every client and the listening socket; logged when it was listening.
    void stop();

    Server& server() { return server_; }
    const Server& server() const { return server_; }
    SessionInstrument& instrument() { return instrument_; }

    // The runner INITiate starts the clients' step lists on; run() serves it at its points
    // (in the panel its own timer does). Without one, INITiate answers that it is missing.
    void setSequenceRunner(sequence::Runner* runner);

    // Called after every change of the connected clients (not from the destructor).
    void setClientsChanged(std::function<void()> changed) { clientsChanged_ = std::move(changed); }

    // Whether start() registers VXI-11 with the system's portmapper (on unless a program
    // that must leave the system's services alone, a benchmark, says otherwise).
    void setUsePortmapper(bool use) { usePortmapper_ = use; }

    // Another server that run() serves in the same loop (the HTTP server); not owned.
    void addLoopSource(LoopSource* source) { others_.push_back(source); }

    // Makes the instrument known on the local network (Announcer.h) while the server
    // listens: when `asked`, or whenever it listens on an address other hosts reach; else,
    // or where the build cannot, takes any announcement back. `httpPort`: the HTTP server
    // beside it. stop() takes it back too.
    void announce(bool asked, std::optional<std::uint16_t> httpPort = std::nullopt);
    // The announcer for an event loop to serve (null where the build has none); run()
    // serves it itself.
    LoopSource* announcer() { return announcer_.get(); }

    // Serves the clients between the session's polls until `stopNow` holds: a poll every
    // session::PollPeriodMs on a fixed schedule, the sequence runner at its points, the
    // clients served while waiting for the next, one unit at a time, so that a poll or a
    // point is late by one unit at most.
    void run(const std::function<bool()>& stopNow);

private:
    void report(const ClientReport& report);
    // VXI-11 in the system's portmapper, when it listens; logged.
    void registerVxi11();

    bool registered_ = false; // the portmapper holds our registration
    bool usePortmapper_ = true;

    session::MeasurementSession& session_;
    LogFunction log_;
    std::function<void()> clientsChanged_;
    SessionInstrument instrument_;
    Server server_;
    sequence::Runner* runner_ = nullptr;
    std::unique_ptr<RunnerSequencer> sequencer_;
    std::vector<LoopSource*> others_;
    std::unique_ptr<Announcer> announcer_;
};

} // namespace remote
