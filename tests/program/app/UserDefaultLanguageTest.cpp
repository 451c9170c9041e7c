// The user's default language from the locale variables: locale names to language ids, and
// which variable counts. What the interface makes of it is UiLanguageTest's.
#include <gtest/gtest.h>

#include "LangTestSupport.h"
#include "program/app/UserDefaultLanguage.h"

TEST(UserDefaultLanguage, LocaleNamesToLanguageIdsFromLcAllThenLcMessagesThenLang) {
    const std::pair<const char*, LANGID> cases[] = {
        // Russian, English of some countries, other languages, the C locale, names that are none.
        {"ru_RU.UTF-8", 1049}, {"ru_UA.KOI8-U", 1049},
        {"RU_ru", 1049},       {"en_US.UTF-8", 1033},
        {"en_GB.UTF-8", 2057}, {"en_IE@euro", 6153},
        {"en", 1033},          {"en_XX", 1033},
        {"en-GB", 2057},       {"de_DE.UTF-8", 1031},
        {"fr_CA", 1036},       {"C.UTF-8", 1033},
        {"POSIX", 1033},       {"", 1033},
        {"xx_YY", 1024},       {"_", 1024},
    };
    for (const auto& [locale, lang] : cases) {
        EXPECT_EQ(LangIdFromLocaleName(locale), lang) << locale;
    }

    struct Case {
        const char *all, *messages, *lang;
        LANGID expected;
    };
    for (const Case& c :
         {Case{"ru_RU.UTF-8", "en_GB.UTF-8", "en_AU.UTF-8", 1049},
          Case{"", "en_GB.UTF-8", "ru_RU.UTF-8", 2057}, Case{nullptr, nullptr, "ru_RU.UTF-8", 1049},
          Case{nullptr, nullptr, nullptr, 1033}}) {
        langtest::Locale locale(c.all, c.messages, c.lang);
        EXPECT_EQ(GetUserDefaultUILanguage(), c.expected) << (c.lang ? c.lang : "-");
    }
}
