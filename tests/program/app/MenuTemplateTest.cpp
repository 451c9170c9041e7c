// Menu templates into the menu model, headless editing, damaged templates. The program's menus
// are tests/res's, Qt menus tests/gui/resources'.
#include <gtest/gtest.h>

#include <vector>

#include "LangTestSupport.h"
#include "program/app/MenuTemplate.h"

namespace {

// A template of `depth` popups ("p"), one in the other, round one item 7 ("x").
std::vector<BYTE> Nested(int depth) {
    std::vector<BYTE> bytes(4, 0);  // the header
    for (int i = 0; i < depth; ++i) {
        bytes.insert(bytes.end(), {MF_POPUP | MF_END, 0, 'p', 0, 0, 0});
    }
    bytes.insert(bytes.end(), {MF_END, 0, 7, 0, 'x', 0, 0, 0});
    return bytes;
}

// One line per item, submenus indented below theirs: id and text, or "-" for a separator, and
// the states that are set.
std::vector<std::wstring> Lines(const CMenu& menu, const std::wstring& indent = L"") {
    std::vector<std::wstring> lines;
    for (const CMenuItem& item : menu.Items()) {
        lines.push_back(indent +
                        (item.separator ? L"-" : std::to_wstring(item.id) + L" " + item.text) +
                        (item.popup ? L" popup" : L"") + (item.checked ? L" checked" : L"") +
                        (item.grayed ? L" grayed" : L"") + (item.disabled ? L" disabled" : L"") +
                        (item.rightAligned ? L" right" : L""));
        const auto below = Lines(item.submenu, indent + L"  ");
        lines.insert(lines.end(), below.begin(), below.end());
    }
    return lines;
}

}  // namespace

TEST(MenuTemplate, ReadsItemsTextsSubmenusAndStatesEditsHeadlessDamagedOnesFailNestingBounded) {
    const auto full = langtest::Bytes(RT_MENU, 128, 1024);
    const CMenu menu = ParseMenuTemplate(full).value();
    EXPECT_EQ(Lines(menu),
              (std::vector<std::wstring>{
                  L"0 &File popup", L"  190 &Export...\tCtrl+E", L"  -", L"  57665 E&xit",
                  L"0 &View popup", L"  59392 &Toolbar checked", L"  139 &Russian grayed",
                  L"  0 &More popup", L"    400 Deep disabled", L"57670 &Help right"}));
    EXPECT_EQ(menu.SubMenu(1)->SubMenu(2), &menu.Items()[1].submenu.Items()[2].submenu);
    EXPECT_EQ(menu.SubMenu(2), nullptr);
    EXPECT_EQ(menu.SubMenu(3), nullptr);

    CMenu edited = menu;
    // Found at any depth, changed everywhere, unknown ids reported.
    EXPECT_TRUE(edited.EnableCommand(139, true));
    EXPECT_TRUE(edited.EnableCommand(400, true));
    EXPECT_TRUE(edited.EnableCommand(57665, false));
    EXPECT_TRUE(edited.CheckCommand(59392, false));
    EXPECT_FALSE(edited.EnableCommand(12345, true));
    // Separators have id 0 but are no command 0.
    EXPECT_EQ(edited.FindCommand(0), nullptr);
    EXPECT_FALSE(edited.RemoveCommand(0));

    // Positions, before and after a removal.
    const CMenu& fileMenu = *edited.SubMenu(0);
    EXPECT_EQ(fileMenu.FindPosition(57665), 2);
    EXPECT_EQ(fileMenu.FindPosition(400), -1);
    EXPECT_TRUE(edited.RemoveCommand(190));
    EXPECT_EQ(fileMenu.FindPosition(57665), 1);
    EXPECT_EQ(Lines(edited), (std::vector<std::wstring>{
                                 L"0 &File popup", L"  -", L"  57665 E&xit grayed",
                                 L"0 &View popup", L"  59392 &Toolbar", L"  139 &Russian",
                                 L"  0 &More popup", L"    400 Deep", L"57670 &Help right"}));

    // A cut after the header alone is an empty menu; any other fails, inside an item or after
    // one (a level without its last-item mark).
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        const auto menu = ParseMenuTemplate(std::span(full).first(cut));
        if (cut == 4) {
            ASSERT_TRUE(menu);
            EXPECT_TRUE(menu->IsEmpty());
        } else {
            EXPECT_FALSE(menu) << "cut at " << cut;
        }
    }

    // An unknown version (MENUEX is 1) and a header size that points past the end.
    for (const auto& [at, value] : {std::pair{0, 1}, std::pair{2, 0xFF}}) {
        auto bytes = Nested(0);
        bytes[at] = static_cast<BYTE>(value);
        EXPECT_FALSE(ParseMenuTemplate(bytes)) << at;
    }

    auto ok = ParseMenuTemplate(Nested(kMaxMenuDepth));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->FindCommand(7)->text, L"x");
    EXPECT_FALSE(ParseMenuTemplate(Nested(kMaxMenuDepth + 1)));
    EXPECT_FALSE(ParseMenuTemplate(Nested(100000)));
}
