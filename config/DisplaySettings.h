#pragma once

#include "resources/Language.h"

#include <optional>
#include <string>
#include <vector>

class CIni;

// What section [DISPLAY] of Quorel.ini says about the display: the language of the windows,
// the logs and quorelctl's messages (Language=ja|en|auto). Without the key the program
// speaks Japanese, as it always has; a value it cannot use counts as missing and is named.
struct DisplaySettings {
    static constexpr const char* Section = "DISPLAY";
    static constexpr const char* LanguageKey = "Language";

    texts::LanguageChoice language = texts::LanguageChoice::Japanese;

    // Reads the section; `badKeys` gets the key of every value that was replaced.
    static DisplaySettings load(const CIni& ini, std::vector<std::string>& badKeys);

    // The language to speak: one asked for on the command line (already checked) before
    // the setting; Auto follows the system.
    texts::Language languageToUse(std::optional<texts::LanguageChoice> asked = {}) const;
};
