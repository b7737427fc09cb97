#include "http/qt/HttpService.h"

#include "remote/RemoteSettings.h"
#include "remote/qt/LoopDriver.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"

HttpService::HttpService(session::MeasurementSession& session, const CIni& ini, LogFunction log,
                         std::string token, QObject* parent)
    : QObject(parent), ini_(ini), log_(log), control_(session, log, std::move(token)) {
    driver_ = new LoopDriver(control_.server(), this);
    control_.setClientsChanged([this] { emit changed(); });
}

HttpService::~HttpService() {
    control_.setClientsChanged(nullptr);
    control_.stop();
}

void HttpService::startFromSettings() {
    std::vector<std::string> bad;
    settings_ = http::HttpSettings::load(ini_, bad);
    for (const std::string& key : bad)
        log_(texts::fill(texts::LogHttpSettingBad, key));
    if (settings_.enabled)
        startServer();
    driver_->follow();
    emit changed();
}

remote::StartResult HttpService::startServer() {
    std::vector<std::string> ignored;
    http::HttpOptions o;
    o.listen = settings_.listen;
    o.allow = remote::RemoteSettings::load(ini_, ignored).allow;
    return control_.start(o);
}

remote::StartResult HttpService::apply(const http::HttpSettings& settings) {
    const bool moved = settings.listen.ipv4 != settings_.listen.ipv4 ||
                       settings.listen.port != settings_.listen.port;
    settings_ = settings;
    settings_.save(ini_);
    remote::StartResult result = remote::StartResult::Ok;
    if (!settings_.enabled || moved)
        control_.stop();
    if (settings_.enabled && !listening())
        result = startServer();
    driver_->follow();
    emit changed();
    return result;
}
