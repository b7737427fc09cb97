#include "platform/Locale.h"
#include "platform/win/WideText.h"

#include <windows.h>

namespace platform {

std::string systemLanguageCode() {
    // The language of the user's interface, which may differ from the one of formats.
    const LANGID ui = GetUserDefaultUILanguage();
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(ui, SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) <= 0)
        return {};
    return win::fromWide(name);
}

} // namespace platform
