#pragma once

class QApplication;

// The one QApplication of a test program, made on first use with the offscreen platform and
// the program's font substitutions.
QApplication& qtTestApp();
