#include "panel/ControlApp.h"

#include "panel/MainDialog.h"
#include "plot/Fonts.h"

#include <QApplication>

int ControlApp::InitInstance(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(DesktopEntryId);
    fonts::registerFontSubstitutions();
    MainDialog dialog;
    dialog.DoModal();
    return 0;
}
