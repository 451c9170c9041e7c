// The resources built into the program load, and every menu and dialog
// template in them parses, in both languages; the file dialog labels and a
// start-up string come out as the program needs them. The contents of the
// scripts themselves are tests/res's.
#include <gtest/gtest.h>

#include <set>

#include "program/app/DialogTemplate.h"
#include "program/app/FileDialogLabels.h"
#include "program/app/LangResource.h"
#include "program/app/MenuTemplate.h"
#include "program/app/ResourceModule.h"
#include "program/app/UiLanguage.h"
#include "res/EmbeddedResources.h"
#include "support/TempWorld.h"

TEST(EmbeddedResources, EveryMenuAndDialogParsesInBothLanguages) {
    const auto module = LoadEmbeddedResources();
    ASSERT_FALSE(module->Entries().empty()) << kVkResourcesFile;
    std::set<LANGID> languages;
    int menus = 0;
    int dialogs = 0;
    for (const auto& e : module->Entries()) {
        languages.insert(e.language);
        if (!e.type.IsId() || !e.name.IsId()) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << "type " << e.type.Id() << " id " << e.name.Id()
                                        << " language " << e.language);
        if (e.type.Id() == RT_MENU) {
            EXPECT_TRUE(ParseMenuTemplate(e.data));
            ++menus;
        } else if (e.type.Id() == RT_DIALOG) {
            EXPECT_TRUE(ParseDialogTemplate(e.data));
            ++dialogs;
        }
    }
    EXPECT_TRUE(languages.count(1024));
    EXPECT_TRUE(languages.count(1049));
    EXPECT_GE(menus, 2 * 4);     // 128, 189, 229, 231
    EXPECT_GE(dialogs, 2 * 16);  // every template in both languages
}

TEST(EmbeddedResources, StartUpStringsAndFileDialogLabels) {
    vktest::TempWorld world;
    InitUiLanguage();
    EXPECT_EQ(LoadLangString(128, 1024), L"Velkora Certificates Browser");
    EXPECT_EQ(LoadLangString(230, 1024), L"Orvel Velkora CSP v1.0");
    SetUiLanguage(1024);
    const auto en = LoadFileDialogLabels();
    EXPECT_EQ(en.fileType, L"Files of type:");
    EXPECT_EQ(en.lookIn, L"Look in:");
    EXPECT_EQ(en.fileName, L"File name:");
    EXPECT_EQ(en.ok, L"Ok");
    EXPECT_EQ(en.cancel, L"Cancel");
    EXPECT_EQ(en.help, L"Help");
    SetUiLanguage(1049);
    const auto ru = LoadFileDialogLabels();
    EXPECT_NE(ru.fileType, en.fileType);
    EXPECT_FALSE(ru.help.empty());
    EXPECT_NE(ru.help, en.help);
    // Always English, whatever the interface language.
    EXPECT_EQ(LoadLangString(229, 1024), L"Velkora");
}
