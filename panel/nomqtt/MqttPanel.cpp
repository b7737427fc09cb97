// A build without MQTT: the panel has none.
#include "mqtt/qt/MqttPanel.h"

namespace panel {

QObject* startMqttService(session::MeasurementSession&, const Settings&, MqttLog,
                          const sequence::Runner&, QObject*) {
    return nullptr;
}

QWidget* makeMqttSection(QObject*, QWidget*) {
    return nullptr;
}

} // namespace panel
