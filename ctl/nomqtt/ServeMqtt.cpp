// A build without MQTT: serve refuses --mqtt as not available.
#include "ctl/ServeMqtt.h"

namespace ctl {

bool mqttAvailable() {
    return false;
}

std::string mqttOptionsProblem(const MqttServeOptions&) {
    return {};
}

std::unique_ptr<MqttFront> startMqtt(session::MeasurementSession&, const sequence::Runner&,
                                     const std::string&, const MqttServeOptions&,
                                     std::function<void(const std::string&)>, std::ostream&) {
    return nullptr;
}

bool removeFromMqtt(session::MeasurementSession&, const std::string&, const MqttServeOptions&,
                    std::function<void(const std::string&)>, std::ostream&, int) {
    return false;
}

} // namespace ctl
