#pragma once

#include "panel/MainDialog.h"
#include "simulator/SimulatedSupply.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class QWidget;

// The real main window, offscreen, with its executable folder in a fresh temporary folder,
// the simulated supply plugged in as com3 and the person at the bench replaced by a script.
// Ticks are driven by calling the timer's handler, so no test waits for the wall clock.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Quorel.ini (the [QUOREL] section with the given lines) and opens the window.
    void open(const std::vector<std::string>& iniLines = {"ComPort=com3"});
    void openConnected(const std::vector<std::string>& extra = {});

    QWidget* control(int id) const;
    void click(int id) const;
    std::string text(int id) const;
    void setText(int id, const std::string& text) const;
    bool enabled(int id) const;
    // The log pane's lines without their time stamps.
    std::vector<std::string> logMessages() const;
    std::string lastLog() const;
    void tick() { window->OnTimer(); }

    TempDir dir;
    sim::SimulatedSupply sim;
    ScriptedPrompter prompter;
    std::unique_ptr<MainDialog> window;
};
