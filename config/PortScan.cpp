#include "config/PortScan.h"

#include "config/PortList.h"
#include "device/SupplyDevice.h"

namespace PortScan {

std::optional<std::string> scanForSupply() {
    if (SupplyDevice::isConnected())
        return std::nullopt;
    for (int n = 1; n <= PortList::ComPortCount; ++n) {
        const std::string port = PortList::comName(n);
        if (SupplyDevice::connect(port) == DeviceResult::Ok) {
            SupplyDevice::disconnect();
            return port;
        }
    }
    return std::nullopt;
}

} // namespace PortScan
