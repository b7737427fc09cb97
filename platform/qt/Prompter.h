#pragma once

#include "platform/FileFilters.h"

#include <optional>
#include <string>

class QWidget;

namespace platform {

enum class PromptIcon { None, Information, Warning, Stop, Question };
enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// Message boxes and plain file choosers go through this seam so that tests can answer them
// without a person. The real one shows Qt dialogs; tests install a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptAnswer messageBox(QWidget* parent, const std::string& text,
                                    const std::string& caption, PromptIcon icon,
                                    PromptButtons buttons) = 0;
    // Returns the chosen path, or nothing when the chooser was cancelled.
    virtual std::optional<std::string> openFileName(QWidget* parent, const std::string& filters,
                                                    const std::string& initialPath) = 0;
    virtual std::optional<std::string> saveFileName(QWidget* parent, const std::string& filters,
                                                    const std::string& initialPath) = 0;
};

// The prompter in force; by default the Qt one.
Prompter& prompter();
// Installs a replacement (nullptr restores the Qt one). The caller keeps ownership.
void setPrompter(Prompter* replacement);

} // namespace platform
