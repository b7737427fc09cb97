#pragma once

#include "remote/RemoteControl.h"
#include "remote/RemoteSettings.h"
#include "remote/qt/SocketWatchers.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CIni;
class LoopDriver;
class QTimer;

namespace session {
class MeasurementSession;
}

// The remote control inside the panel: the server's sockets watched by the Qt event loop
// and its commands run from a zero-delay timer, one unit per turn of the loop, so that they
// run on the interface thread between the poll's ticks and never inside a device exchange.
// Its settings are section [REMOTE] of Quorel.ini.
class RemoteService : public QObject {
    Q_OBJECT
public:
    using LogFunction = remote::RemoteControl::LogFunction;

    RemoteService(session::MeasurementSession& session, const CIni& ini, LogFunction log,
                  QObject* parent = nullptr);
    ~RemoteService() override;

    // Reads [REMOTE], logs the keys whose values were replaced by defaults, and starts the
    // server when Enabled is on (announced on the network as Announce and Listen say).
    void startFromSettings();
    // Keeps the settings in Quorel.ini and starts, stops or moves the server to match.
    remote::StartResult apply(const remote::RemoteSettings& settings);
    // Where the panel's HTTP server listens, announced beside the server while both run;
    // `reannounce` follows a change of it.
    void setHttpPortFrom(std::function<std::optional<std::uint16_t>()> port) {
        httpPort_ = std::move(port);
    }
    void reannounce();

    const remote::RemoteSettings& settings() const { return settings_; }
    bool listening() const { return control_.server().listening(); }
    remote::RemoteControl& control() { return control_; }
    remote::SocketAddress address() const { return control_.server().address(); }
    std::vector<remote::SocketAddress> clients() const { return control_.server().clients(); }

    // The main window's title: "Quorel" alone while no client is connected.
    static QString mainCaption(std::size_t clients);

signals:
    // A client connected or left, or the server started or stopped.
    void changed();

private:
    // Every call into the server goes through here: none inside another (a message box
    // opened by a command's observer must not let the server run again underneath it),
    // and the watched sockets follow afterwards.
    template <typename Call> void serve(Call call);
    void follow();
    std::optional<std::uint16_t> httpPort() const;

    const CIni& ini_;
    LogFunction log_;
    remote::RemoteControl control_;
    remote::RemoteSettings settings_;
    SocketWatchers watchers_;
    QTimer* work_ = nullptr;
    QTimer* deadline_ = nullptr;
    // The announcement on the network, where the build has one.
    LoopDriver* announcer_ = nullptr;
    std::function<std::optional<std::uint16_t>()> httpPort_;
    bool inside_ = false;
};
