#include "support/ScriptedPrompter.h"

ScriptedPrompter::ScriptedPrompter() {
    platform::setPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter() {
    platform::setPrompter(nullptr);
}

platform::PromptAnswer ScriptedPrompter::messageBox(QWidget*, const std::string& text,
                                                    const std::string& caption,
                                                    platform::PromptIcon icon,
                                                    platform::PromptButtons buttons) {
    boxes.push_back({text, caption, icon, buttons});
    if (onBox)
        onBox(boxes.back());
    if (answers.empty())
        return platform::PromptAnswer::Ok;
    auto a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompter::openFileName(QWidget*, const std::string& filters,
                                                          const std::string& initialPath) {
    choosers.push_back({false, filters, initialPath});
    if (files.empty())
        return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
}

std::optional<std::string> ScriptedPrompter::saveFileName(QWidget*, const std::string& filters,
                                                          const std::string& initialPath) {
    choosers.push_back({true, filters, initialPath});
    if (files.empty())
        return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
}
