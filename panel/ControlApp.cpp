#include "panel/ControlApp.h"

#include "config/DisplaySettings.h"
#include "config/Settings.h"
#include "panel/MainDialog.h"
#include "platform/Paths.h"
#include "platform/Signals.h"
#include "platform/qt/EndingSignals.h"
#include "plot/Fonts.h"
#include "resources/ui/Translation.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <string>

bool ControlApp::installToolkitTranslation(QTranslator& translator) {
    // The toolkit's texts in Japanese, beside the program's own.
    if (!translator.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

texts::Language ControlApp::chosenLanguage() {
    CIni ini(platform::joinPath(platform::settingsDirectory(), Settings::FileName).c_str());
    std::vector<std::string> badKeys; // logged by the window once its log is there
    return DisplaySettings::load(ini, badKeys).languageToUse();
}

int ControlApp::InitInstance(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(DesktopEntryId);
    // Every text of the window is in the chosen language from its first line on.
    ui::installLanguage(chosenLanguage(), ui::translationFolders(platform::executableDirectory()));
    fonts::registerFontSubstitutions();
    // A reader of the program's output that went away is no reason to end it; a closed
    // terminal, kill or the session's end close the window as its close button does, with a
    // run ended and its output off first. The handling outlives the window, whose going
    // switches the output off.
    platform::ignoreBrokenPipe();
    EndingSignals endingSignals;
    MainDialog dialog;
    QObject::connect(&endingSignals, &EndingSignals::received, &dialog, [&dialog](int signal) {
        dialog.EndOnSignal(signal);
        // A box open meanwhile ends too: every event loop is left.
        QCoreApplication::exit(0);
    });
    // "quorel FILE.csv": the log is opened once the window runs.
    if (argc > 1) {
        const std::string path = argv[1];
        QTimer::singleShot(0, &dialog, [&dialog, path] { dialog.OpenHistoryFile(path); });
    }
    dialog.DoModal();
    return 0;
}
