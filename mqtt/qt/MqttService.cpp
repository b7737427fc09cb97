#include "mqtt/qt/MqttService.h"

#include "config/Settings.h"
#include "remote/qt/LoopDriver.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"

MqttService::MqttService(session::MeasurementSession& session, const Settings& settings,
                         LogFunction log, QObject* parent)
    : QObject(parent), appSettings_(settings), log_(log), bridge_(session, log) {
    driver_ = new LoopDriver(bridge_.client(), this);
    bridge_.setConnectionChanged([this] { emit changed(); });
}

MqttService::~MqttService() {
    bridge_.setConnectionChanged(nullptr);
    bridge_.stop();
}

void MqttService::startFromSettings() {
    std::vector<std::string> bad;
    settings_ = mqtt::MqttSettings::load(appSettings_.ini(), bad);
    for (const std::string& key : bad)
        log_(texts::fill(texts::LogMqttSettingBad, key));
    if (settings_.enabled)
        startBridge();
    emit changed();
}

bool MqttService::startBridge() {
    std::string problem;
    const auto options = settings_.bridgeOptions(appSettings_.comPort(), problem);
    bool ok = false;
    if (!options)
        log_(texts::fill(texts::LogMqttStartFailed, problem));
    else
        ok = bridge_.start(*options);
    driver_->follow();
    return ok;
}

bool MqttService::apply(const mqtt::MqttSettings& wanted) {
    const bool discoveryDropped = settings_.discovery && !wanted.discovery;
    settings_ = wanted;
    settings_.save(appSettings_.ini());
    if (bridge_.running()) {
        // The entities go while the old connection still stands.
        if (discoveryDropped)
            bridge_.removeDiscovery();
        bridge_.stop();
    }
    bool ok = true;
    if (settings_.enabled)
        ok = startBridge();
    driver_->follow();
    emit changed();
    return ok;
}
