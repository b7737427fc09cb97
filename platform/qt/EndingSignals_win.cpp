#include "platform/qt/EndingSignals.h"

// Windows ends a program with a window through its session's messages, which the toolkit
// turns into the window's closing.
struct EndingSignals::Handling {};

EndingSignals::EndingSignals(QObject* parent) : QObject(parent) {}

EndingSignals::~EndingSignals() = default;

void EndingSignals::readPipe() {}
