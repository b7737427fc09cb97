#include "panel/ControlApp.h"

int main(int argc, char** argv) {
    ControlApp app;
    return app.InitInstance(argc, argv);
}
