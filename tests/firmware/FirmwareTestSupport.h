#pragma once

#include "platform/Paths.h"
#include "simulator/SimulatedSupply.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <filesystem>
#include <string>
#include <vector>

// A simulated device reachable as "com3" from a fresh executable folder.
struct SimOnCom3 {
    TempDir dir;
    sim::SimulatedSupply sim;

    explicit SimOnCom3(sim::Mode mode) {
        platform::setExecutableDirectoryForTest(dir.path());
        std::filesystem::create_directory(dir.file("ports"));
        sim.start(mode);
        sim.linkAs(dir.file("ports/com3"));
    }
};

// The boot-loader commands in what the device received: "W" with its 16 digits, every other
// letter alone.
inline std::vector<std::string> bootLoaderCommands(const std::string& received) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < received.size();) {
        std::size_t n = received[i] == 'W' ? 17 : 1;
        out.push_back(received.substr(i, n));
        i += n;
    }
    return out;
}

inline int countLetter(const std::vector<std::string>& commands, char letter) {
    int n = 0;
    for (const auto& c : commands)
        n += c[0] == letter;
    return n;
}

// Types the text into the widget key by key, as the operator would.
inline void typeInto(QWidget* widget, const std::string& text) {
    for (QChar c : QString::fromStdString(text)) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}
