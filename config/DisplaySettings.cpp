#include "config/DisplaySettings.h"

#include "session/SessionSettings.h"

DisplaySettings DisplaySettings::load(const CIni& ini, std::vector<std::string>& badKeys) {
    DisplaySettings s;
    if (auto text = session::presentValue(ini, Section, LanguageKey)) {
        if (auto choice = texts::parseLanguageChoice(*text))
            s.language = *choice;
        else
            badKeys.push_back(LanguageKey);
    }
    return s;
}

texts::Language DisplaySettings::languageToUse(std::optional<texts::LanguageChoice> asked) const {
    const texts::LanguageChoice choice = asked.value_or(language);
    if (choice != texts::LanguageChoice::Auto)
        return texts::resolve(choice, true);
    return texts::resolve(choice, texts::systemIsJapanese());
}
