#pragma once

#include "resources/Language.h"

#include <string>
#include <vector>

// The windows' side of the languages: the program's texts through Qt's translation system
// (the compiled translation file in a QTranslator, each text looked up with
// QCoreApplication::translate) and the toolkit's own texts (file choosers, context menus) in
// the same language.
namespace ui {

// Where the compiled translation files are looked for, in order: translations/ beside the
// executable (a build folder, a portable copy), then share/quorel/translations beside its
// bin/ folder (an installed program).
std::vector<std::string> translationFolders(const std::string& executableDirectory);

// Puts the language in force for every text shown from now on. English is read from
// quorel_en.qm in the first of the folders that has it; without one the English built into
// the program is used, so the windows still speak it. Japanese takes the toolkit's Japanese
// texts as well. False when the compiled file was not found.
bool installLanguage(texts::Language language, const std::vector<std::string>& folders);

} // namespace ui
