#include "panel/ControlApp.h"

#include "panel/MainDialog.h"
#include "plot/Fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
    QTranslator toolkitTexts;
    installToolkitTranslation(toolkitTexts);
    fonts::registerFontSubstitutions();
    MainDialog dialog;
    dialog.DoModal();
    return 0;
}
