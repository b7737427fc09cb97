#pragma once

#include "remote/Server.h"

#include <string>

// The system-log lines of the remote control, shared by the panel and quorelctl serve.
namespace remote {

// What a client did, marked as remote with its address: "リモート 127.0.0.1:40312: ...".
std::string remoteAction(const std::string& client, const std::string& operatorLine);
// A client connected, refused or gone, with its address.
std::string clientMessage(const ClientReport& report);
// Why the server could not start on the address.
std::string startFailedMessage(StartResult result, const SocketAddress& at);

} // namespace remote
