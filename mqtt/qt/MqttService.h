#pragma once

#include "mqtt/MqttBridge.h"
#include "mqtt/MqttSettings.h"

#include <QObject>

class LoopDriver;
class Settings;

// MQTT inside the panel: the bridge's wake-up watched by the Qt event loop, so that every
// message is taken on the interface thread between the poll's ticks. Its settings are
// section [MQTT] of Quorel.ini; the default node id is made from the port of the settings.
class MqttService : public QObject {
    Q_OBJECT
public:
    using LogFunction = mqtt::MqttBridge::LogFunction;

    MqttService(session::MeasurementSession& session, const Settings& settings, LogFunction log,
                QObject* parent = nullptr);
    ~MqttService() override;

    void startFromSettings();
    // Keeps the settings and starts, stops or restarts the bridge; turning discovery off
    // takes the entities off the broker. False (logged) when the bridge cannot start.
    bool apply(const mqtt::MqttSettings& settings);

    const mqtt::MqttSettings& settings() const { return settings_; }
    mqtt::MqttBridge& bridge() { return bridge_; }
    bool running() const { return bridge_.running(); }
    bool connected() const { return bridge_.connected(); }
    std::string node() const { return bridge_.options().node; }

signals:
    void changed();

private:
    bool startBridge();

    const Settings& appSettings_;
    LogFunction log_;
    mqtt::MqttBridge bridge_;
    mqtt::MqttSettings settings_;
    LoopDriver* driver_ = nullptr;
};
