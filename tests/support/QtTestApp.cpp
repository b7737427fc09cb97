#include "support/QtTestApp.h"

#include "plot/Fonts.h"

#include <QApplication>

QApplication& qtTestApp() {
    static int argc = 1;
    static char name[] = "quorel-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* a = new QApplication(argc, argv);
        fonts::registerFontSubstitutions();
        return a;
    }();
    return *app;
}
