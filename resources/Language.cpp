#include "resources/Language.h"

#include "platform/Locale.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <string>
#include <unordered_map>

namespace texts {

// Written at build time (cmake/TranslationTable.cmake, cmake/TextIndex.cmake); each ends in
// a row without texts.
extern const TranslatedText EnglishTexts[];
extern const std::size_t EnglishTextCount;
extern const NamedText AllTexts[];
extern const char* const PlainTextNames[];

namespace {

std::atomic<Language> inUse{Language::Japanese};

const std::unordered_map<std::string_view, const char*>& englishTable() {
    static const auto* table = [] {
        auto* t = new std::unordered_map<std::string_view, const char*>();
        for (std::size_t i = 0; i < EnglishTextCount; ++i)
            t->emplace(EnglishTexts[i].source, EnglishTexts[i].translation);
        return t;
    }();
    return *table;
}

} // namespace

std::optional<LanguageChoice> parseLanguageChoice(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    std::string word;
    for (char c : text)
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word == "ja")
        return LanguageChoice::Japanese;
    if (word == "en")
        return LanguageChoice::English;
    if (word == "auto")
        return LanguageChoice::Auto;
    return std::nullopt;
}

Language resolve(LanguageChoice choice, bool japaneseSystem) {
    switch (choice) {
    case LanguageChoice::Japanese:
        return Language::Japanese;
    case LanguageChoice::English:
        return Language::English;
    case LanguageChoice::Auto:
        break;
    }
    return japaneseSystem ? Language::Japanese : Language::English;
}

bool systemIsJapanese() {
    const std::string code = platform::systemLanguageCode();
    return code.size() >= 2 && std::tolower(static_cast<unsigned char>(code[0])) == 'j' &&
           std::tolower(static_cast<unsigned char>(code[1])) == 'a' &&
           (code.size() == 2 || !std::isalpha(static_cast<unsigned char>(code[2])));
}

std::optional<std::string> builtInEnglish(const char* source) {
    const auto& table = englishTable();
    auto found = table.find(source);
    if (found == table.end())
        return std::nullopt;
    return std::string(found->second);
}

void useLanguage(Language language) {
    if (language == Language::English)
        setLookup(builtInEnglish);
    else
        setLookup(nullptr);
    noteLanguage(language);
}

void noteLanguage(Language language) {
    inUse = language;
}

Language languageInUse() {
    return inUse;
}

std::vector<NamedText> allTexts() {
    std::vector<NamedText> all;
    for (const NamedText* t = AllTexts; t->name; ++t)
        all.push_back(*t);
    return all;
}

std::vector<std::string> plainTextNames() {
    std::vector<std::string> names;
    for (const char* const* n = PlainTextNames; *n; ++n)
        names.emplace_back(*n);
    return names;
}

std::vector<std::string> formatPlaces(std::string_view text) {
    std::vector<std::string> places;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        // Flags, width, precision and length up to the conversion letter.
        std::size_t end = i + 1;
        while (end < text.size() && std::strchr("-+ #0123456789.*hljztL", text[end]))
            ++end;
        if (end < text.size())
            ++end;
        places.emplace_back(text.substr(i, end - i));
        i = end - 1;
    }
    return places;
}

} // namespace texts
