#include "ctl/ExitCode.h"

#include "resources/Texts.h"

namespace ctl {

int exitCodeFor(DeviceResult result) {
    return result == DeviceResult::Ok ? Success : 10 + static_cast<int>(result);
}

const char* resultText(DeviceResult result) {
    switch (result) {
    case DeviceResult::Ok:
        return "";
    case DeviceResult::OpenFailed:
        return texts::ResultOpenFailed;
    case DeviceResult::LinkError:
        return texts::ResultLinkError;
    case DeviceResult::BadReply:
        return texts::ResultBadReply;
    case DeviceResult::NotConnected:
        return texts::ResultNotConnected;
    }
    return texts::ResultLinkError;
}

} // namespace ctl
