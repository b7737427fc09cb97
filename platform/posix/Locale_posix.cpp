#include "platform/Locale.h"

#include <cstdlib>

namespace platform {

std::string systemLanguageCode() {
    // The order in which the C library itself picks the language of messages.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

} // namespace platform
