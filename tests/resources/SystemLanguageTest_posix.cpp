// The system's language as a Linux session names it in its locale variables.
#include "resources/Language.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct LocaleCase {
    const char* name;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    bool japanese;
};

class SystemLanguage : public testing::TestWithParam<LocaleCase> {
protected:
    void TearDown() override {
        for (const char* v : {"LC_ALL", "LC_MESSAGES", "LANG"})
            ::unsetenv(v);
    }
    static void put(const char* name, const char* value) {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
};

} // namespace

TEST_P(SystemLanguage, IsTakenFromTheFirstLocaleVariableSet) {
    const LocaleCase& c = GetParam();
    put("LC_ALL", c.lcAll);
    put("LC_MESSAGES", c.lcMessages);
    put("LANG", c.lang);
    EXPECT_EQ(texts::systemIsJapanese(), c.japanese);
}

INSTANTIATE_TEST_SUITE_P(
    Locale, SystemLanguage,
    testing::Values(LocaleCase{"JapaneseLang", nullptr, nullptr, "ja_JP.UTF-8", true},
                    LocaleCase{"EnglishLang", nullptr, nullptr, "en_GB.UTF-8", false},
                    LocaleCase{"MessagesBeforeLang", nullptr, "en_US.UTF-8", "ja_JP.UTF-8", false},
                    LocaleCase{"AllBeforeEverything", "ja_JP.eucJP", "en_US", "en_US", true},
                    LocaleCase{"OtherLanguageStartingWithJ", nullptr, nullptr, "jam_JM", false},
                    LocaleCase{"NoneSet", nullptr, nullptr, nullptr, false}),
    casenames::ByName());
