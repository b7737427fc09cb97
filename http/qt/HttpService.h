#pragma once

#include "http/HttpControl.h"
#include "http/HttpSettings.h"

#include <QObject>

class CIni;
class LoopDriver;

// The HTTP server inside the panel: its sockets watched by the Qt event loop and its time-outs
// by a timer, so that every request is answered on the interface thread between the poll's
// ticks. Its settings are section [HTTP] of Quorel.ini; the allow list is [REMOTE] Allow.
class HttpService : public QObject {
    Q_OBJECT
public:
    using LogFunction = http::HttpControl::LogFunction;

    HttpService(session::MeasurementSession& session, const CIni& ini, LogFunction log,
                std::string token, QObject* parent = nullptr);
    ~HttpService() override;

    void startFromSettings();
    remote::StartResult apply(const http::HttpSettings& settings);

    const http::HttpSettings& settings() const { return settings_; }
    http::HttpControl& control() { return control_; }
    bool listening() const { return control_.server().listening(); }

signals:
    void changed();

private:
    remote::StartResult startServer();

    const CIni& ini_;
    LogFunction log_;
    http::HttpControl control_;
    http::HttpSettings settings_;
    LoopDriver* driver_ = nullptr;
};
