// The menu item switch on menus built by hand: one slot for a group of alternatives, the texts
// saved at attach time (at most 511 characters), and the cases that must leave the menu alone.
// The resource menus it switches are tested with the nodes' context menus and the main window.
#include <gtest/gtest.h>

#include "program/app/MenuModel.h"
#include "program/ui/CMenuItemSwitch.h"
#include "res/resource.h"

namespace {

constexpr UINT kAdd = ID_ACTIONS_ADD_TO_STORE;
constexpr UINT kRemove = ID_ACTIONS_REMOVE_FROM_STORE;

std::vector<UINT> Ids(const CMenu& menu) {
    std::vector<UINT> ids;
    for (const CMenuItem& item : menu.Items()) {
        ids.push_back(item.separator ? 0 : item.id);
    }
    return ids;
}

CMenu Menu(std::initializer_list<std::pair<UINT, std::wstring>> items) {
    CMenu menu;
    for (const auto& [id, text] : items) {
        menu.Items().push_back(id == 0 ? CMenuItem::Separator() : CMenuItem::Command(id, text));
    }
    return menu;
}

TEST(MenuItemSwitchTest, ShowLeavesOneItemWhereTheFirstOfTheGroupStoodWithItsSavedText) {
    CMenu menu = Menu({{ID_ACTIONS_EXPORT_CERT, L"&Export"},
                       {0, L""},
                       {kAdd, std::wstring(600, L'x')},
                       {kRemove, L"Remove"},
                       {ID_ACTIONS_IMPORT_CERT, L"&Import"}});
    CMenuItemSwitch alternatives;
    alternatives.Attach(&menu, {kAdd, kRemove});
    menu.Items()[3].text = L"Changed after attach";

    EXPECT_TRUE(alternatives.Show(kRemove));
    EXPECT_EQ(Ids(menu),
              (std::vector<UINT>{ID_ACTIONS_EXPORT_CERT, 0, kRemove, ID_ACTIONS_IMPORT_CERT}));
    EXPECT_EQ(menu.Items()[2].text, L"Remove");
    EXPECT_TRUE(alternatives.Show(kAdd));
    EXPECT_TRUE(alternatives.Show(kAdd)) << "showing the shown item again keeps it";
    EXPECT_EQ(Ids(menu),
              (std::vector<UINT>{ID_ACTIONS_EXPORT_CERT, 0, kAdd, ID_ACTIONS_IMPORT_CERT}));
    EXPECT_EQ(menu.Items()[2].text, std::wstring(511, L'x'));
}

TEST(MenuItemSwitchTest, CommandsOutsideTheGroupOrMenusWithoutItChangeNothing) {
    CMenu menu = Menu({{kAdd, L"Add"}, {kRemove, L"Remove"}, {ID_ACTIONS_IMPORT_CERT, L"I"}});
    CMenuItemSwitch alternatives;
    alternatives.Attach(&menu, {kAdd, kRemove});
    EXPECT_FALSE(alternatives.Show(ID_ACTIONS_IMPORT_CERT));
    EXPECT_EQ(Ids(menu), (std::vector<UINT>{kAdd, kRemove, ID_ACTIONS_IMPORT_CERT}));

    // An alternative never in the menu is not shown blank.
    CMenu other = Menu({{ID_ACTIONS_SET_DEFAULT, L"Set as &defaut container"}});
    CMenuItemSwitch marks;
    marks.Attach(&other, {ID_ACTIONS_SET_DEFAULT, ID_ACTIONS_REMOVE_DEFAULT});
    EXPECT_FALSE(marks.Show(ID_ACTIONS_REMOVE_DEFAULT));
    EXPECT_EQ(Ids(other), std::vector<UINT>{ID_ACTIONS_SET_DEFAULT});
    EXPECT_EQ(other.Items()[0].text, L"Set as &defaut container");
    CMenuItemSwitch none;
    none.Attach(&other, {kAdd, kRemove});
    EXPECT_FALSE(none.Show(kAdd));

    CMenuItemSwitch detached;
    EXPECT_FALSE(detached.Show(kAdd));
    detached.Attach(nullptr, {kAdd});
    EXPECT_FALSE(detached.Show(kAdd));
}

}  // namespace
