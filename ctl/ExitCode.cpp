#include "ctl/ExitCode.h"

#include "session/SessionMessages.h"

namespace ctl {

int exitCodeFor(DeviceResult result) {
    return result == DeviceResult::Ok ? Success : 10 + static_cast<int>(result);
}

const char* resultText(DeviceResult result) {
    return session::resultText(result);
}

} // namespace ctl
