#pragma once

#include <functional>
#include <string>

class QObject;
class QWidget;
class Settings;

namespace session {
class MeasurementSession;
}
namespace sequence {
class Runner;
}

// MQTT inside the panel, where the build has it (section [MQTT] of Quorel.ini); elsewhere
// both give nothing.
namespace panel {

using MqttLog = std::function<void(const std::string&)>;

// The bridge driven by the window's event loop, started when [MQTT] Enabled is on; owned by
// `parent`.
QObject* startMqttService(session::MeasurementSession& session, const Settings& settings,
                          MqttLog log, const sequence::Runner& runner, QObject* parent);
// The section of the remote page that switches it and shows its state.
QWidget* makeMqttSection(QObject* service, QWidget* parent);

} // namespace panel
