// No VXI-11 on Windows, so nothing to register.
#include "remote/Portmapper.h"

namespace remote {

PortmapResult registerVxi11(std::uint16_t) {
    return PortmapResult::NoPortmapper;
}

void unregisterVxi11() {}

} // namespace remote
