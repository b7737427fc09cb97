#pragma once

#include <functional>
#include <string>

class CIni;
class QObject;
class QWidget;
class RemoteService;

namespace session {
class MeasurementSession;
}
namespace sequence {
class Runner;
}

// The HTTP server inside the panel, where the build has one (section [HTTP] of Quorel.ini:
// Enabled=1, Listen=ADDR:PORT; the allow list of [REMOTE]); elsewhere both give nothing.
namespace panel {

using HttpLog = std::function<void(const std::string&)>;

// The server driven by the window's event loop, started when [HTTP] Enabled is on; owned by
// `parent`. The identification page names the ways in that `remote` runs at each request.
QObject* startHttpService(session::MeasurementSession& session, const CIni& ini, HttpLog log,
                          const sequence::Runner& runner, RemoteService* remote, QObject* parent);
// The section of the remote page that switches it, shows where it listens and the token.
QWidget* makeHttpSection(QObject* service, HttpLog log, QWidget* parent);

} // namespace panel
