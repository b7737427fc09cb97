#pragma once

#include "session/Protections.h"
#include "session/Reading.h"

#include <string>

namespace session {

// Where a change of the held set-points came from.
enum class SetpointOrigin {
    Device,   // read back from the device: at a connect, or after a change to the USB host
    Operator, // the panel's fields or a quorelctl command
    Remote,   // a remote-control client
    Sequence, // a running sequence step
};

// A run that left the output to nobody, found at a connect: the session's own, aborted when
// the device was lost, or an earlier program's, whose marker was still there.
struct UnfinishedRun {
    bool earlierProgram = false;
    std::string what;                    // what ran, as its program named it
    std::int64_t since = 0;              // its start, in calendar seconds (0: unknown)
    DeviceResult off = DeviceResult::Ok; // what the switch-off got
};

// What the session tells the windows, quorelctl and the remote server. Every call comes on
// the thread that drives the session, in the order the poll meets the events:
// status, output change, source change, set-points read back, trips, reading, log trouble.
class SessionObserver {
public:
    virtual ~SessionObserver() = default;
    // At a connect, right after the handshake and before onConnected: the output was switched
    // off (or could not be: `run.off`) because a run had left it to nobody.
    virtual void onUnfinishedRunSwitchedOff(const UnfinishedRun& /*run*/) {}
    // A connection stands: by the operator (`automatic` false) or by the reconnection.
    virtual void onConnected(bool /*automatic*/) {}
    // The link was closed on purpose (not lost).
    virtual void onDisconnected() {}
    // The device stopped answering; the link is closed. `reconnecting`: attempts follow.
    virtual void onDeviceLost(bool /*reconnecting*/) {}
    // The poll's status, after the divider correction, before anything is derived from it.
    virtual void onStatus(const DeviceStatus& /*status*/) {}
    // The output changed at the device, as the poll saw it.
    virtual void onOutputChanged(bool /*on*/) {}
    virtual void onSourceChanged(PowerSource /*source*/) {}
    virtual void onSetpointsChanged(SetpointOrigin /*origin*/) {}
    virtual void onTrip(const Trip& /*trip*/) {}
    virtual void onReading(const Reading& /*reading*/) {}
    // A CSV line could not be written; the measurement log has ended.
    virtual void onMeasurementLogFailed() {}
    // A front end changed the protections (levels, switches, trips cleared); the polls
    // report their trips through onTrip instead.
    virtual void onProtectionsChanged() {}
    // A poll found the output on and the session switched it off again by itself: a
    // switch-off the device had not confirmed (`latched` false), or a protection is latched
    // (`latched` true). `result` is the device's answer, Ok when the output is off now; a
    // failure repeated at every poll is told once.
    virtual void onOutputSwitchedOffAgain(bool /*latched*/, DeviceResult /*result*/) {}
};

} // namespace session
