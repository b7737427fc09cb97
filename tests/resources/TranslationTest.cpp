// The texts in both languages: the Japanese ones as they always were, an English one for
// every text with the same printf places, and the language in force at each conversion.
#include "resources/JapaneseTexts.h"

#include "resources/Language.h"
#include "resources/Texts.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Every test starts and ends in Japanese, the language a program has until it chooses.
class Languages : public testing::Test {
protected:
    void TearDown() override { texts::useLanguage(texts::Language::Japanese); }
};

} // namespace

TEST(JapaneseTexts, EveryTextStaysAsItWasByteForByte) {
    std::map<std::string, const texts::Text*> byName;
    for (const texts::NamedText& t : texts::allTexts())
        byName[t.name] = t.text;
    for (const JapaneseText& old : JapaneseTexts) {
        auto found = byName.find(old.name);
        ASSERT_NE(found, byName.end()) << old.name << " is gone";
        EXPECT_STREQ(found->second->source(), old.text) << old.name;
    }
}

// A text added as `inline constexpr const char* X = "..."` would stay Japanese in English and
// escape the checks below: it is to be written as a Text, as the others are. Only the names
// of the faces, which are names and not texts, stay plain.
TEST(JapaneseTexts, EveryEntryOfTheTableIsATranslatableText) {
    EXPECT_EQ(texts::plainTextNames(), (std::vector<std::string>{"FontPGothic", "FontGothic"}));
}

TEST(JapaneseTexts, AreWhatAProgramShowsUntilItChoosesALanguage) {
    EXPECT_EQ(texts::languageInUse(), texts::Language::Japanese);
    for (const texts::NamedText& t : texts::allTexts())
        EXPECT_STREQ(t.text->c_str(), t.text->source()) << t.name;
}

// One case per text of Texts.h, named after it: a text added without its English fails
// here by name (bring resources/translations/quorel_en.ts up to date with the target
// quorel_lupdate and translate what comes in unfinished).
class EnglishOfEveryText : public testing::TestWithParam<texts::NamedText> {};

TEST_P(EnglishOfEveryText, IsThereAndKeepsThePrintfPlacesInOrder) {
    const texts::NamedText& t = GetParam();
    const std::optional<std::string> english = texts::builtInEnglish(t.text->source());
    ASSERT_TRUE(english) << t.name << " has no English translation";
    EXPECT_FALSE(english->empty()) << t.name;
    EXPECT_EQ(texts::formatPlaces(*english), texts::formatPlaces(t.text->source())) << *english;
}

INSTANTIATE_TEST_SUITE_P(Texts, EnglishOfEveryText, testing::ValuesIn(texts::allTexts()),
                         [](const testing::TestParamInfo<texts::NamedText>& info) {
                             return std::string(info.param.name);
                         });

struct PlacesCase {
    const char* name;
    const char* text;
    std::vector<std::string> places;
};

class FormatPlaces : public testing::TestWithParam<PlacesCase> {};

TEST_P(FormatPlaces, AreFoundWithTheirFlagsWidthsAndLengths) {
    EXPECT_EQ(texts::formatPlaces(GetParam().text), GetParam().places);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FormatPlaces,
    testing::Values(PlacesCase{"None", "出力を ON しました", {}},
                    PlacesCase{"TwoNumbersGluedToUnits", "%.2fV/%.3fA", {"%.2f", "%.3f"}},
                    PlacesCase{"PercentSignIsNoPlace", "100%% %s", {"%s"}},
                    PlacesCase{"SizesAndLongLong", "%zu %llu %+.2f", {"%zu", "%llu", "%+.2f"}}),
    casenames::ByName());

TEST_F(Languages, EnglishReplacesEveryTextAndJapaneseComesBack) {
    texts::useLanguage(texts::Language::English);
    EXPECT_EQ(texts::languageInUse(), texts::Language::English);
    EXPECT_STREQ(texts::LogStarted, "Control program started");
    EXPECT_EQ(std::string(texts::GroupOutput) + "/" + texts::ScanNotFound,
              "Output/No device found");
    texts::useLanguage(texts::Language::Japanese);
    EXPECT_STREQ(texts::LogStarted, "制御ソフト起動しました");
}

TEST_F(Languages, ATextTakenEarlierStaysReadableAfterTheLanguageChanges) {
    texts::useLanguage(texts::Language::English);
    const char* english = texts::LogDeviceLost;
    texts::useLanguage(texts::Language::Japanese);
    texts::useLanguage(texts::Language::English);
    EXPECT_STREQ(english, "Connection to the device lost");
}

struct ChoiceCase {
    const char* name;
    const char* setting;
    std::optional<texts::LanguageChoice> choice;
};

class LanguageSetting : public testing::TestWithParam<ChoiceCase> {};

TEST_P(LanguageSetting, IsReadAsTheOperatorMeantItOrRefused) {
    EXPECT_EQ(texts::parseLanguageChoice(GetParam().setting), GetParam().choice);
}

INSTANTIATE_TEST_SUITE_P(
    Display, LanguageSetting,
    testing::Values(ChoiceCase{"Japanese", "ja", texts::LanguageChoice::Japanese},
                    ChoiceCase{"EnglishInCapitals", "EN", texts::LanguageChoice::English},
                    ChoiceCase{"AutoWithBlanks", " auto\t", texts::LanguageChoice::Auto},
                    ChoiceCase{"CountryCodeIsNoLanguage", "jp", std::nullopt},
                    ChoiceCase{"LocaleNameIsNotTaken", "en_US", std::nullopt}),
    casenames::ByName());
