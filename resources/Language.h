#pragma once

#include "resources/Text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The languages the program speaks: Japanese, in which every text of Texts.h is written, and
// English from the translation file resources/translations/quorel_en.ts. The windows load
// that file compiled by Qt's lrelease; a program without Qt reads the same texts from a table
// written from it at build time.
namespace texts {

enum class Language { Japanese, English };

// What the setting [DISPLAY] Language asks for; Auto follows the system's language.
enum class LanguageChoice { Japanese, English, Auto };

// "ja", "en" or "auto" in any case, with blanks around; nothing for anything else.
std::optional<LanguageChoice> parseLanguageChoice(std::string_view text);
// Auto: Japanese where the system speaks Japanese, English everywhere else.
Language resolve(LanguageChoice choice, bool systemIsJapanese);
// The system's language is Japanese (a locale such as ja_JP.UTF-8, or Japanese on Windows).
bool systemIsJapanese();

// Every text from now on in this language, English from the built-in table.
void useLanguage(Language language);
Language languageInUse();
// Tells the texts converted from now on which language they are in, for a front end that
// sets a lookup of its own.
void noteLanguage(Language language);

// One row of the built-in English table: a Japanese text of Texts.h and its English.
struct TranslatedText {
    const char* source;
    const char* translation;
};
// The English of a Japanese text from the built-in table; nothing when it has none.
std::optional<std::string> builtInEnglish(const char* source);

// Every text of Texts.h by its name, for checks that go through all of them.
struct NamedText {
    const char* name;
    const Text* text;
};
std::vector<NamedText> allTexts();
// The names of entries of Texts.h written as plain C texts, which no language changes.
std::vector<std::string> plainTextNames();

// The printf places of a text ("%s", "%.2f", "%zu", ...) in order, without "%%". A translation
// must have the same places in the same order, or the values would land in the wrong place.
std::vector<std::string> formatPlaces(std::string_view text);

} // namespace texts
