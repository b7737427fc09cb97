#include "measurement/FileReplacement.h"

#include "platform/Files.h"
#include "platform/qt/Prompter.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"

FileChoice askBeforeReplacing(QWidget* parent, const std::string& path) {
    switch (platform::replaceTarget(path)) {
    case platform::ReplaceTarget::New:
        return FileChoice::Write;
    case platform::ReplaceTarget::Refused:
        return FileChoice::Refused;
    case platform::ReplaceTarget::Existing:
        break;
    }
    const auto answer = platform::prompter().messageBox(
        parent, texts::fill(texts::FileReplaceQuestion, path), texts::MainCaption.str(),
        platform::PromptIcon::Question, platform::PromptButtons::YesNo);
    return answer == platform::PromptAnswer::Yes ? FileChoice::Write : FileChoice::Kept;
}
