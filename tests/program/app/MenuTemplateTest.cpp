// Menu templates into the menu model, headless editing, damaged templates. The program's menus
// are tests/res's, Qt menus tests/gui/resources'.
#include <gtest/gtest.h>

#include <vector>

#include "LangTestSupport.h"
#include "program/app/MenuTemplate.h"

namespace {

CMenu EnglishMenu() {
    return ParseMenuTemplate(langtest::Bytes(RT_MENU, 128, 1024)).value();
}

// A template built by hand: header, then words and texts.
class MenuWriter {
public:
    MenuWriter() { Word(0), Word(0); }
    MenuWriter& Word(WORD w) {
        bytes.push_back(static_cast<BYTE>(w));
        bytes.push_back(static_cast<BYTE>(w >> 8));
        return *this;
    }
    MenuWriter& Text(const std::wstring& t) {
        for (wchar_t c : t) {
            Word(static_cast<WORD>(c));
        }
        return Word(0);
    }
    MenuWriter& Item(WORD flags, WORD id, const std::wstring& t) {
        return Word(flags).Word(id).Text(t);
    }
    MenuWriter& Popup(WORD flags, const std::wstring& t) { return Word(flags | MF_POPUP).Text(t); }
    std::vector<BYTE> bytes;
};

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

TEST(MenuTemplate, ReadsItemsTextsSubmenusAndStatesAndEditsHeadless) {
    const CMenu menu = EnglishMenu();
    EXPECT_EQ(Lines(menu),
              (std::vector<std::wstring>{
                  L"0 &File popup", L"  190 &Export...\tCtrl+E", L"  -", L"  57665 E&xit",
                  L"0 &View popup", L"  59392 &Toolbar checked", L"  139 &Russian grayed",
                  L"  0 &More popup", L"    400 Deep disabled", L"57670 &Help right"}));
    EXPECT_TRUE(menu.Items()[0].submenu.Items()[0].IsEnabled());
    EXPECT_FALSE(menu.SubMenu(1)->Items()[1].IsEnabled());
    EXPECT_EQ(menu.SubMenu(1)->SubMenu(2), &menu.Items()[1].submenu.Items()[2].submenu);
    EXPECT_EQ(menu.SubMenu(2), nullptr);
    EXPECT_EQ(menu.SubMenu(3), nullptr);

    CMenu edited = EnglishMenu();
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
}

TEST(MenuTemplate, CutAndDamagedTemplatesFailAndNestingIsBounded) {
    const auto full = langtest::Bytes(RT_MENU, 128, 1024);
    ASSERT_TRUE(ParseMenuTemplate(full));
    // A cut after the header alone is an empty menu; any cut inside an item fails.
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        const auto menu = ParseMenuTemplate(std::span(full).first(cut));
        if (cut == 4) {
            ASSERT_TRUE(menu);
            EXPECT_TRUE(menu->IsEmpty());
        } else {
            EXPECT_FALSE(menu) << "cut at " << cut;
        }
    }

    // A level without its last-item mark.
    EXPECT_FALSE(ParseMenuTemplate(MenuWriter().Item(0, 1, L"a").Item(0, 2, L"b").bytes));
    EXPECT_TRUE(ParseMenuTemplate(MenuWriter().Item(0, 1, L"a").Item(MF_END, 2, L"b").bytes));
    // An unknown version (MENUEX is 1) and a header size that points past the end.
    for (const auto& [at, value] : {std::pair{0, 1}, std::pair{2, 0xFF}}) {
        auto bytes = MenuWriter().Item(MF_END, 1, L"a").bytes;
        bytes[at] = static_cast<BYTE>(value);
        EXPECT_FALSE(ParseMenuTemplate(bytes)) << at;
    }

    auto nested = [](int depth) {
        MenuWriter w;
        for (int i = 0; i < depth; ++i) {
            w.Popup(MF_END, L"p");
        }
        return w.Item(MF_END, 7, L"leaf").bytes;
    };
    auto ok = ParseMenuTemplate(nested(kMaxMenuDepth));
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->FindCommand(7)->text, L"leaf");
    EXPECT_FALSE(ParseMenuTemplate(nested(kMaxMenuDepth + 1)));
    EXPECT_FALSE(ParseMenuTemplate(nested(100000)));
}
