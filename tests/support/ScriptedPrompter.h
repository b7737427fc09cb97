#pragma once

#include "platform/qt/Prompter.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Stands in for the person at the bench: records every message box and file chooser and
// answers them from a script. Installed for its lifetime.
class ScriptedPrompter : public platform::Prompter {
public:
    struct Box {
        std::string text;
        std::string caption;
        platform::PromptIcon icon;
        platform::PromptButtons buttons;
    };
    struct Chooser {
        bool save;
        std::string filters;
        std::string initialPath;
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    platform::PromptAnswer messageBox(QWidget* parent, const std::string& text,
                                      const std::string& caption, platform::PromptIcon icon,
                                      platform::PromptButtons buttons) override;
    std::optional<std::string> openFileName(QWidget* parent, const std::string& filters,
                                            const std::string& initialPath) override;
    std::optional<std::string> saveFileName(QWidget* parent, const std::string& filters,
                                            const std::string& initialPath) override;

    // Answers given in order; when the queue is empty a box is answered Ok and a chooser
    // is cancelled.
    std::deque<platform::PromptAnswer> answers;
    std::deque<std::optional<std::string>> files;
    // Runs inside a box, while it is "shown"; lets a test look at the window meanwhile.
    std::function<void(const Box&)> onBox;

    std::vector<Box> boxes;
    std::vector<Chooser> choosers;
};
