#pragma once

#include "http/HttpServer.h"

#include <string>
#include <vector>

class CIni;

// The HTTP server as Quorel.ini keeps it for the panel, in section [HTTP]: Enabled=1 starts
// it with the panel, Listen=ADDR:PORT is where (127.0.0.1:8080 unless another is written).
// The clients let in are those of [REMOTE] Allow, the same list as the instrument server's.
namespace http {

struct HttpSettings {
    static constexpr const char* Section = "HTTP";

    bool enabled = false;
    SocketAddress listen{remote::LoopbackAddress, HttpOptions::DefaultPort};

    // Reads the section; `badKeys` gets the key of every value that was replaced.
    static HttpSettings load(const CIni& ini, std::vector<std::string>& badKeys);
    bool save(const CIni& ini) const;
};

} // namespace http
