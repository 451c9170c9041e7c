// The menu item switch on menus parsed from the program's resources and built by hand: one slot
// for a group of alternatives, the texts saved at attach time (at most 511 characters), and the
// cases that must leave the menu alone.
#include <gtest/gtest.h>

#include "program/app/LangResource.h"
#include "program/app/MenuModel.h"
#include "program/ui/CMenuItemSwitch.h"

namespace {

constexpr UINT kAdd = 32775;
constexpr UINT kRemove = 32779;

std::vector<UINT> Ids(const CMenu& menu) {
    std::vector<UINT> ids;
    for (const CMenuItem& item : menu.Items()) {
        ids.push_back(item.separator ? 0 : item.id);
    }
    return ids;
}

CMenu Sample() {
    CMenu menu;
    menu.Items().push_back(CMenuItem::Command(190, L"&Export"));
    menu.Items().push_back(CMenuItem::Separator());
    menu.Items().push_back(CMenuItem::Command(kAdd, L"&Add certificate to certificate store"));
    menu.Items().push_back(
        CMenuItem::Command(kRemove, L"&Remove certifcate from certificate store"));
    menu.Items().push_back(CMenuItem::Command(205, L"&Import"));
    return menu;
}

TEST(MenuItemSwitchTest, ShowLeavesOneItemWhereTheFirstOfTheGroupStood) {
    CMenu menu = Sample();
    CMenuItemSwitch alternatives;
    alternatives.Attach(&menu, {kAdd, kRemove});

    EXPECT_TRUE(alternatives.Show(kRemove));
    EXPECT_EQ(Ids(menu), (std::vector<UINT>{190, 0, kRemove, 205}));
    EXPECT_EQ(menu.Items()[2].text, L"&Remove certifcate from certificate store");

    EXPECT_TRUE(alternatives.Show(kAdd));
    EXPECT_EQ(Ids(menu), (std::vector<UINT>{190, 0, kAdd, 205}));
    EXPECT_EQ(menu.Items()[2].text, L"&Add certificate to certificate store");

    EXPECT_TRUE(alternatives.Show(kAdd)) << "showing the shown item again keeps it";
    EXPECT_EQ(Ids(menu), (std::vector<UINT>{190, 0, kAdd, 205}));
}

TEST(MenuItemSwitchTest, TheResourceMenusOfKeysAndTheMainFrameSwitch) {
    std::optional<CMenu> keyMenu = LoadLangMenu(189, 1024);
    ASSERT_TRUE(keyMenu.has_value());
    CMenu* popup = keyMenu->SubMenu(0);
    ASSERT_NE(popup, nullptr);
    const int first = popup->FindPosition(kAdd);
    ASSERT_GE(first, 0);
    const std::size_t count = popup->Count();

    CMenuItemSwitch alternatives;
    alternatives.Attach(popup, {kAdd, kRemove});
    ASSERT_TRUE(alternatives.Show(kRemove));
    EXPECT_EQ(popup->FindPosition(kRemove), first);
    EXPECT_EQ(popup->FindPosition(kAdd), -1);
    EXPECT_EQ(popup->Count(), count - 1);
    ASSERT_TRUE(alternatives.Show(kAdd));
    EXPECT_EQ(popup->FindPosition(kAdd), first);
    EXPECT_EQ(popup->FindCommand(kAdd)->text, L"&Add certificate to certificate store");

    // Russian texts are saved and put back as they were.
    std::optional<CMenu> russian = LoadLangMenu(189, 1049);
    ASSERT_TRUE(russian.has_value());
    CMenu* ruPopup = russian->SubMenu(0);
    ASSERT_NE(ruPopup, nullptr);
    const std::wstring ruRemove = ruPopup->FindCommand(kRemove)->text;
    CMenuItemSwitch ru;
    ru.Attach(ruPopup, {kAdd, kRemove});
    ASSERT_TRUE(ru.Show(kRemove));
    EXPECT_EQ(ruPopup->FindCommand(kRemove)->text, ruRemove);
}

TEST(MenuItemSwitchTest, CommandsOutsideTheGroupOrMenusWithoutItChangeNothing) {
    CMenu menu = Sample();
    const std::vector<UINT> before = Ids(menu);
    CMenuItemSwitch alternatives;
    alternatives.Attach(&menu, {kAdd, kRemove});
    EXPECT_FALSE(alternatives.Show(205));
    EXPECT_EQ(Ids(menu), before);

    CMenu other;
    other.Items().push_back(CMenuItem::Command(190, L"&Export"));
    CMenuItemSwitch none;
    none.Attach(&other, {kAdd, kRemove});
    EXPECT_FALSE(none.Show(kAdd));
    EXPECT_EQ(Ids(other), (std::vector<UINT>{190}));

    CMenuItemSwitch detached;
    EXPECT_FALSE(detached.Show(kAdd));
    detached.Attach(nullptr, {kAdd});
    EXPECT_FALSE(detached.Show(kAdd));
}

TEST(MenuItemSwitchTest, AnAlternativeNeverInTheMenuIsNotShownBlank) {
    CMenu menu;
    menu.Items().push_back(CMenuItem::Command(32794, L"Set as &defaut container"));
    CMenuItemSwitch alternatives;
    alternatives.Attach(&menu, {32794, 32796});
    EXPECT_FALSE(alternatives.Show(32796));
    EXPECT_EQ(Ids(menu), (std::vector<UINT>{32794}));
    EXPECT_EQ(menu.Items()[0].text, L"Set as &defaut container");
}

TEST(MenuItemSwitchTest, SavedTextsAreCutTo511CharactersAndTakenAtAttach) {
    CMenu menu;
    menu.Items().push_back(CMenuItem::Command(kAdd, std::wstring(600, L'x')));
    menu.Items().push_back(CMenuItem::Command(kRemove, L"Remove"));
    CMenuItemSwitch alternatives;
    alternatives.Attach(&menu, {kAdd, kRemove});
    menu.Items()[1].text = L"Changed after attach";
    ASSERT_TRUE(alternatives.Show(kRemove));
    EXPECT_EQ(menu.Items()[0].text, L"Remove");
    ASSERT_TRUE(alternatives.Show(kAdd));
    EXPECT_EQ(menu.Items()[0].text, std::wstring(511, L'x'));
    EXPECT_EQ(menu.Count(), 1u);
}

}  // namespace
