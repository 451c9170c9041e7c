// Language-aware lookup: string blocks and their edges, the fall-back to English, the resource
// chain current, user default, 1024, any, loads in the current language. The stored choice is
// UiLanguageTest's.
#include <gtest/gtest.h>

#include <tuple>

#include "LangTestSupport.h"
#include "program/app/LangResource.h"
#include "program/app/StringTable.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"

TEST(LangResource, StringsFallBackToEnglishResourcesFollowTheChainCurrentUserDefaultNeutralAny) {
    vktest::TempWorld world;
    langtest::UseTestModule module;
    // Entry 0 "ab", entry 1 claims 3 units but only 1 follows.
    const BYTE block[] = {2, 0, 'a', 0, 'b', 0, 3, 0, 'c', 0};
    EXPECT_EQ(StringFromBlock(block, 0), L"ab");
    EXPECT_EQ(StringFromBlock(block, 1), std::nullopt);
    EXPECT_EQ(StringFromBlock(block, 2), std::nullopt);
    EXPECT_EQ(StringFromBlock(block, 16), std::nullopt);
    EXPECT_EQ(StringFromBlock({}, 0), std::nullopt);
    // A surrogate pair becomes one character; a lone surrogate U+FFFD.
    const BYTE astral[] = {3, 0, 0x3D, 0xD8, 0x11, 0xDD, 0x00, 0xD8};
    EXPECT_EQ(StringFromBlock(astral, 0), L"\U0001F511\uFFFD");

    // The edge ids of the blocks in both languages, neighbours nobody defined, ids past 16 bits;
    // missing in Russian: from English, whether Russian has the block (15, 129) or not (300); a
    // language the program does not carry reads English.
    const std::tuple<UINT, LANGID, std::wstring> cases[] = {
        {0, 1024, L"zero"},
        {15, 1024, L"fifteen"},
        {16, 1024, L"sixteen"},
        {65535, 1024, L"last"},
        {0, 1049, L"ноль"},
        {16, 1049, L"шестнадцать"},
        {65535, 1049, L"последняя"},
        {1, 1024, L""},
        {17, 1049, L""},
        {65534, 1024, L""},
        {65536, 1024, L""},
        {15, 1049, L"fifteen"},
        {129, 1049, L"English only, in a block Russian has"},
        {300, 1049, L"English only, in a block Russian lacks"},
        {128, 1033, L"Velkora Certificates Browser"},
        {128, 1049, L"Браузер сертификатов Velkora"}};
    for (const auto& [id, lang, text] : cases) {
        EXPECT_EQ(LoadLangString(id, lang), text) << id << " in " << lang;
    }

    langtest::Locale locale("en_US.UTF-8");  // user default 1033
    InitUiLanguage();
    SetUiLanguage(1049);
    // Current language first.
    EXPECT_EQ(FindLangResource(128, RT_MENU).Language(), 1049);
    // Not in 1049: the user's default 1033 has it.
    EXPECT_EQ(FindLangResource(130, RT_MENU).Language(), 1033);
    // Only German: any language.
    EXPECT_EQ(FindLangResource(131, RT_MENU).Language(), 1031);
    // Only English: 1024.
    EXPECT_EQ(FindLangResource(245, L"BINARY").Language(), 1024);
    EXPECT_FALSE(FindLangResource(132, RT_MENU));
    EXPECT_TRUE(FindLangResource(132, RT_MENU).Data().empty());

    langtest::Locale german("de_DE.UTF-8");
    InitUiLanguage();
    SetUiLanguage(1049);
    // 1049 and German (the user default) lack it, 1024 too: any (1033).
    EXPECT_EQ(FindLangResource(130, RT_MENU).Language(), 1033);
    // German is the user default now: ahead of "any".
    EXPECT_EQ(FindLangResource(131, RT_MENU).Language(), 1031);
    SetUiLanguage(1024);
    EXPECT_EQ(FindLangResource(128, RT_MENU).Language(), 1024);

    // Strings, menus and dialogs in the current language; the re-texting of open dialogs and the
    // English-only template are tests/gui/resources'.
    SetUiLanguage(1049);
    EXPECT_EQ(LoadLangString(128), L"Браузер сертификатов Velkora");
    EXPECT_EQ(LoadLangMenu(128).value().Items()[0].text, L"&Файл");
    EXPECT_EQ(LoadLangDialogTemplate(230).value().title, L"Импорт из файла PFX");
    EXPECT_FALSE(LoadLangMenu(999));
    EXPECT_FALSE(LoadLangMenu(0x10000));
}
