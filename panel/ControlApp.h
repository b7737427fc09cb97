#pragma once

// The application: prepares the toolkit and the fonts, runs the main window modally and
// ends the program when it closes.
class ControlApp {
public:
    // Returns the process's exit code.
    int InitInstance(int argc, char** argv);
};
