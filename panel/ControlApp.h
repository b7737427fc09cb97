#pragma once

#include "resources/Language.h"

class QTranslator;

// The name of the installed desktop entry and icon, so that a desktop session ties the
// running window to its menu entry and icon.
inline constexpr const char* DesktopEntryId = "io.github.quorel.Quorel";

// The application: prepares the toolkit and the fonts, runs the main window modally and
// ends the program when it closes.
class ControlApp {
public:
    // Returns the process's exit code.
    int InitInstance(int argc, char** argv);

    // The language of [DISPLAY] in the settings file (Japanese when it says nothing).
    static texts::Language chosenLanguage();

    // Loads the toolkit's own Japanese texts (the buttons of the file choosers, the fields'
    // context menus) into the translator and installs it in the running application; false
    // when the system has no such translation, and the toolkit then speaks English.
    static bool installToolkitTranslation(QTranslator& translator);
};
