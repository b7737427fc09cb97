// A build without the HTTP server: serve refuses --http as not available.
#include "ctl/ServeHttp.h"

#include <ostream>

namespace ctl {

bool httpAvailable() {
    return false;
}

std::unique_ptr<HttpFront> startHttpServer(session::MeasurementSession&, const sequence::Runner&,
                                           const HttpServeOptions&,
                                           std::function<void(const std::string&)>, std::ostream&) {
    return nullptr;
}

} // namespace ctl
