#include "resources/ui/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace ui {

namespace {

// The translators in the application, replaced when the language changes.
struct Installed {
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> toolkit;
};

Installed& installed() {
    static Installed i;
    return i;
}

void remove(std::unique_ptr<QTranslator>& translator) {
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

std::unique_ptr<QTranslator> loadToolkit(const QLocale& locale) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}

} // namespace

std::vector<std::string> translationFolders(const std::string& executableDirectory) {
    std::string dir = executableDirectory;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return {dir + "/translations", dir + "/../share/quorel/translations"};
}

bool installLanguage(texts::Language language, const std::vector<std::string>& folders) {
    Installed& now = installed();
    remove(now.program);
    remove(now.toolkit);
    if (language == texts::Language::Japanese) {
        texts::useLanguage(texts::Language::Japanese);
        now.toolkit = loadToolkit(QLocale(QLocale::Japanese, QLocale::Japan));
        return true;
    }
    // The toolkit's own texts are English already.
    auto program = std::make_unique<QTranslator>();
    for (const std::string& folder : folders) {
        if (program->load(QStringLiteral("quorel_en"), QString::fromStdString(folder)) &&
            QCoreApplication::installTranslator(program.get())) {
            now.program = std::move(program);
            texts::setLookup([](const char* source) -> std::optional<std::string> {
                const QString shown = QCoreApplication::translate(texts::Context, source);
                if (shown.isEmpty())
                    return std::nullopt;
                return shown.toStdString();
            });
            texts::noteLanguage(texts::Language::English);
            return true;
        }
    }
    texts::useLanguage(texts::Language::English);
    return false;
}

} // namespace ui
