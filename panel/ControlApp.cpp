#include "panel/ControlApp.h"

#include "panel/MainDialog.h"
#include "plot/Fonts.h"

#include <QApplication>
#include <QTimer>

#include <string>

int ControlApp::InitInstance(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(DesktopEntryId);
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
