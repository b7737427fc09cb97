#include "remote/RemoteMessages.h"

#include "resources/TextFormat.h"
#include "resources/Texts.h"

namespace remote {

std::string remoteAction(const std::string& client, const std::string& operatorLine) {
    return texts::fill(texts::LogRemoteAction, client, operatorLine);
}

namespace {

const char* linkPattern(ClientEvent event) {
    switch (event) {
    case ClientEvent::Connected:
        return texts::LogVxi11LinkCreated;
    case ClientEvent::RefusedFull:
        return texts::LogVxi11LinkRefusedFull;
    case ClientEvent::DroppedNotReading:
        return texts::LogVxi11LinkDroppedNotReading;
    case ClientEvent::DroppedOnStop:
        return texts::LogVxi11LinkDroppedOnStop;
    case ClientEvent::DroppedBadInput:
        return texts::LogVxi11LinkDroppedBadInput;
    case ClientEvent::RefusedNotAllowed:
    case ClientEvent::Disconnected:
        break;
    }
    return texts::LogVxi11LinkDestroyed;
}

} // namespace

std::string clientMessage(const ClientReport& report) {
    if (report.link)
        return texts::fill(linkPattern(report.event), formatEndpoint(report.peer));
    const char* pattern = texts::LogRemoteClientDisconnected;
    switch (report.event) {
    case ClientEvent::Connected:
        pattern = texts::LogRemoteClientConnected;
        break;
    case ClientEvent::RefusedFull:
        pattern = texts::LogRemoteClientRefusedFull;
        break;
    case ClientEvent::RefusedNotAllowed:
        pattern = texts::LogRemoteClientRefusedNotAllowed;
        break;
    case ClientEvent::DroppedNotReading:
        pattern = texts::LogRemoteClientDroppedNotReading;
        break;
    case ClientEvent::DroppedOnStop:
        pattern = texts::LogRemoteClientDroppedOnStop;
        break;
    case ClientEvent::DroppedBadInput:
        pattern = texts::LogRemoteClientDroppedBadInput;
        break;
    case ClientEvent::Disconnected:
        break;
    }
    return texts::fill(pattern, formatEndpoint(report.peer));
}

std::string startFailedMessage(StartResult result, const SocketAddress& at) {
    const char* why = texts::RemoteFailed;
    switch (result) {
    case StartResult::AddressInUse:
        why = texts::RemoteAddressInUse;
        break;
    case StartResult::AddressUnavailable:
        why = texts::RemoteAddressUnavailable;
        break;
    case StartResult::PermissionDenied:
        why = texts::RemotePermissionDenied;
        break;
    case StartResult::NeedsAllowList:
        why = texts::RemoteNeedsAllowList;
        break;
    case StartResult::Ok:
    case StartResult::AlreadyListening:
    case StartResult::Failed:
        break;
    }
    return texts::fill(texts::LogRemoteStartFailed, formatEndpoint(at), why);
}

} // namespace remote
