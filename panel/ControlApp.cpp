#include "panel/ControlApp.h"

#include "panel/MainDialog.h"
#include "plot/Fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <string>

bool ControlApp::installToolkitTranslation(QTranslator& translator) {
    // The program's own texts are Japanese whatever the system's language, so the toolkit's
    // are taken in Japanese too.
    if (!translator.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

int ControlApp::InitInstance(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(DesktopEntryId);
    QTranslator toolkitTexts;
    installToolkitTranslation(toolkitTexts);
    fonts::registerFontSubstitutions();
    MainDialog dialog;
    // "quorel FILE.csv": the log is opened once the window runs.
    if (argc > 1) {
        const std::string path = argv[1];
        QTimer::singleShot(0, &dialog, [&dialog, path] { dialog.OpenHistoryFile(path); });
    }
    dialog.DoModal();
    return 0;
}
