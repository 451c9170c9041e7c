// The compiled resource scripts as the program embeds them: English (1024) and
// Russian (1049) hold the same string ids, menus with the same commands in the
// same places, dialogs with the same controls; Russian texts are translated
// (which also catches a garbled code page); format directives agree; every
// command has a prompt and a tooltip; menu mnemonics and accelerator hints are
// sound; dialog controls stay inside their dialogs without overlapping; the
// ids, texts and states that the program's code relies on are in place.
// The reader itself (damaged input, lookup chain) is tested in tests/program/app.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "program/app/DialogTemplate.h"
#include "program/app/LangIds.h"
#include "program/app/MenuTemplate.h"
#include "program/app/ResFile.h"
#include "program/app/StringTable.h"
#include "platform/text/Utf.h"
#include "res/EmbeddedResources.h"

namespace {

constexpr LANGID kEn = LANG_NEUTRAL_DEFAULT_ID;
constexpr LANGID kRu = LANG_RUSSIAN_ID;

constexpr DWORD kWsVisible = 0x10000000;
constexpr DWORD kWsDisabled = 0x08000000;
constexpr DWORD kBsTypeMask = 0x0F;
constexpr DWORD kBsGroupBox = 0x07;
constexpr WORD kAccelVirtKey = 0x01;
constexpr WORD kAccelShift = 0x04;
constexpr WORD kAccelControl = 0x08;
constexpr WORD kAccelAlt = 0x10;
constexpr WORD kAccelLast = 0x80;

// Strings that are names and stay the same in every language: the settings key,
// the instance name, product, provider and model names, the program name.
const std::set<UINT> kNameStrings = {135, 228, 229, 230, 250, 57344};
// The language switch of the Russian menu is written in English on purpose.
constexpr UINT kSwitchLanguage = 139;

const CResFile& Res() {
    static CResFile res;
    static const bool loaded = [] {
        // VK_TEST_RES_FILE checks another compiled image (a script under change).
        if (const char* path = std::getenv("VK_TEST_RES_FILE")) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
            return !bytes.empty() && res.Load(bytes);
        }
        return res.Load(VkEmbeddedResources());
    }();
    EXPECT_TRUE(loaded) << res.Error();
    return res;
}

std::string Narrow(const std::wstring& text) {
    return WideToUtf8(text);
}

std::map<UINT, std::wstring> Strings(LANGID lang) {
    std::map<UINT, std::wstring> out;
    for (const auto& e : Res().Entries()) {
        if (e.language != lang || !(e.type == CResName(RT_STRING)) || !e.name.IsId()) {
            continue;
        }
        for (UINT i = 0; i < 16; ++i) {
            const auto text = StringFromBlock(e.data, i);
            if (text && !text->empty()) {
                out[(e.name.Id() - 1u) * 16u + i] = *text;
            }
        }
    }
    return out;
}

template <typename T, typename Parse>
std::map<WORD, T> ParseAll(WORD type, LANGID lang, Parse parse) {
    std::map<WORD, T> out;
    for (const auto& e : Res().Entries()) {
        if (e.language == lang && e.type == CResName(type) && e.name.IsId()) {
            auto parsed = parse(e.data);
            EXPECT_TRUE(parsed.has_value()) << "resource " << type << "/" << e.name.Id();
            if (parsed) {
                out.emplace(e.name.Id(), std::move(*parsed));
            }
        }
    }
    return out;
}

std::map<WORD, CMenu> Menus(LANGID lang) {
    return ParseAll<CMenu>(RT_MENU, lang, ParseMenuTemplate);
}

std::map<WORD, CDialogTemplate> Dialogs(LANGID lang) {
    return ParseAll<CDialogTemplate>(RT_DIALOG, lang, ParseDialogTemplate);
}

struct Accel {
    WORD flags;
    WORD key;
    WORD id;
    bool operator<(const Accel& o) const {
        return std::tie(flags, key, id) < std::tie(o.flags, o.key, o.id);
    }
    bool operator==(const Accel& o) const = default;
};

// ACCELTABLEENTRY: flags, key, command, padding; the last one marked 0x80.
std::vector<Accel> Accelerators(LANGID lang, WORD id) {
    const CResEntry* e = Res().Find(CResName(RT_ACCELERATOR), CResName(id), lang);
    std::vector<Accel> out;
    if (!e) {
        return out;
    }
    bool last = false;
    for (std::size_t pos = 0; pos + 8 <= e->data.size() && !last; pos += 8) {
        auto word = [&](std::size_t at) {
            return static_cast<WORD>(e->data[pos + at] | (e->data[pos + at + 1] << 8));
        };
        last = (word(0) & kAccelLast) != 0;
        out.push_back({static_cast<WORD>(word(0) & ~kAccelLast & ~0x02), word(2), word(4)});
    }
    EXPECT_TRUE(last) << "accelerator table without its last-entry mark";
    return out;
}

std::vector<std::string> FormatDirectives(const std::wstring& text) {
    static const std::regex directive(
        R"(%[-+ #0]*(\d+|\*)?(\.(\d+|\*))?(hh|h|ll|l|w|I64)?[diouxXcsSeEfgGp%])");
    const std::string s = Narrow(text);
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), directive);
         it != std::sregex_iterator(); ++it) {
        out.push_back(it->str());
    }
    return out;
}

bool IsCyrillic(wchar_t c) {
    return c >= 0x0400 && c <= 0x04FF;
}
bool IsLatin(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}
bool HasCyrillic(const std::wstring& text) {
    return std::any_of(text.begin(), text.end(), IsCyrillic);
}
// Text with words in it, once the format directives are taken out.
bool HasWords(const std::wstring& text) {
    static const std::wregex directive(LR"(%[-+ #0]*\d*(\.\d+)?(hh|h|ll|l|w)?[diouxXcsS%])");
    const std::wstring rest = std::regex_replace(text, directive, L"");
    return std::any_of(rest.begin(), rest.end(),
                       [](wchar_t c) { return IsLatin(c) || IsCyrillic(c); });
}

// A menu text without mnemonic marks ("&&" stays one "&").
std::wstring Plain(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i;
        }
        out += text[i];
    }
    return out;
}

// The mnemonic characters of a menu text, in upper case.
std::vector<wchar_t> Mnemonics(const std::wstring& text) {
    std::vector<wchar_t> out;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&') {
            if (text[i + 1] != L'&') {
                wchar_t c = text[i + 1];
                // Cyrillic upper case without the C library's locale tables.
                if (c >= 0x0430 && c <= 0x044F) {
                    c = static_cast<wchar_t>(c - 0x20);
                } else if (c >= 0x0450 && c <= 0x045F) {
                    c = static_cast<wchar_t>(c - 0x50);
                } else {
                    c = static_cast<wchar_t>(std::towupper(c));
                }
                out.push_back(c);
            }
            ++i;
        }
    }
    return out;
}

void CollectCommands(const CMenu& menu, std::set<UINT>& out) {
    for (const auto& item : menu.Items()) {
        if (item.popup) {
            CollectCommands(item.submenu, out);
        } else if (!item.separator) {
            out.insert(item.id);
        }
    }
}

std::set<UINT> Commands(const CMenu& menu) {
    std::set<UINT> out;
    CollectCommands(menu, out);
    return out;
}

// Every item of every level, with the path of positions that leads to it.
template <typename Fn>
void ForEachLevel(const CMenu& menu, const std::string& path, Fn fn) {
    fn(menu, path);
    for (std::size_t i = 0; i < menu.Count(); ++i) {
        if (menu.Items()[i].popup) {
            ForEachLevel(menu.Items()[i].submenu, path + "/" + std::to_string(i), fn);
        }
    }
}

void ExpectSameShape(const CMenu& en, const CMenu& ru, const std::string& where) {
    ASSERT_EQ(en.Count(), ru.Count()) << where;
    for (std::size_t i = 0; i < en.Count(); ++i) {
        const auto& a = en.Items()[i];
        const auto& b = ru.Items()[i];
        const std::string at = where + "/" + std::to_string(i);
        EXPECT_EQ(a.popup, b.popup) << at;
        EXPECT_EQ(a.separator, b.separator) << at;
        EXPECT_EQ(a.id, b.id) << at;
        EXPECT_EQ(a.IsEnabled(), b.IsEnabled()) << at;
        EXPECT_EQ(a.checked, b.checked) << at;
        if (a.popup && b.popup) {
            ExpectSameShape(a.submenu, b.submenu, at);
        }
    }
}

const CDialogItemTemplate* Item(const CDialogTemplate& dlg, DWORD id) {
    return dlg.FindItem(id);
}

std::wstring Lower(std::wstring s) {
    for (auto& c : s) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return s;
}

bool Visible(const CDialogItemTemplate& item) {
    return (item.style & kWsVisible) != 0;
}
bool Enabled(const CDialogItemTemplate& item) {
    return (item.style & kWsDisabled) == 0;
}
bool IsGroupBox(const CDialogItemTemplate& item) {
    return Lower(item.ClassName()) == L"button" && (item.style & kBsTypeMask) == kBsGroupBox;
}

struct Rect {
    int l, t, r, b;
};
Rect RectOf(const CDialogItemTemplate& i) {
    return {i.x, i.y, i.x + i.cx, i.y + i.cy};
}
bool Overlap(const Rect& a, const Rect& b) {
    return a.l < b.r && b.l < a.r && a.t < b.b && b.t < a.b;
}
bool Inside(const Rect& inner, const Rect& outer) {
    return inner.l >= outer.l && inner.r <= outer.r && inner.t >= outer.t && inner.b <= outer.b;
}

std::string Describe(const CDialogItemTemplate& i) {
    return "control " + std::to_string(static_cast<int>(i.id)) + " \"" + Narrow(i.Text()) + "\"";
}

}  // namespace

TEST(ResourceScripts, BothLanguagesHoldTheSameResources) {
    ASSERT_FALSE(Res().Entries().empty());
    std::map<LANGID, std::set<std::pair<WORD, WORD>>> byLang;
    for (const auto& e : Res().Entries()) {
        ASSERT_TRUE(e.type.IsId() && e.name.IsId());
        byLang[e.language].insert({e.type.Id(), e.name.Id()});
    }
    // Only the two interface languages; images and the help file live elsewhere.
    ASSERT_EQ(byLang.size(), 2u);
    EXPECT_EQ(byLang[kEn], byLang[kRu]);

    const std::set<WORD> menus = {128, 189, 229, 231};
    const std::set<WORD> dialogs = {100, 106, 107, 108, 197, 198, 222, 230,
                                    233, 234, 235, 236, 237, 239, 240, 241};
    for (LANGID lang : {kEn, kRu}) {
        std::set<WORD> m, d;
        for (const auto& [type, name] : byLang[lang]) {
            if (type == RT_MENU) {
                m.insert(name);
            } else if (type == RT_DIALOG) {
                d.insert(name);
            }
        }
        EXPECT_EQ(m, menus) << lang;
        EXPECT_EQ(d, dialogs) << lang;
        EXPECT_TRUE(byLang[lang].count({RT_ACCELERATOR, 128})) << lang;
    }
}

TEST(ResourceScripts, StringsAgreeBetweenLanguagesAndRussianIsTranslated) {
    const auto en = Strings(kEn);
    const auto ru = Strings(kRu);
    ASSERT_GT(en.size(), 100u);

    // Every string the program loads by id (commands are checked with the menus).
    const std::vector<UINT> loaded = {
        128, 129, 130, 131, 135, 150, 151, 152, 153, 154, 155, 156, 157, 158,   159,  160, 161,
        162, 163, 164, 165, 167, 168, 169, 170, 171, 172, 173, 174, 175, 176,   177,  179, 180,
        181, 182, 183, 184, 186, 187, 188, 189, 191, 192, 193, 194, 195, 196,   197,  198, 199,
        200, 201, 202, 204, 207, 208, 209, 210, 211, 212, 213, 217, 219, 220,   221,  222, 223,
        224, 225, 226, 227, 228, 229, 230, 231, 232, 233, 234, 235, 250, 57344, 57345};
    for (UINT id : loaded) {
        EXPECT_TRUE(en.count(id)) << "string " << id << " missing";
    }

    std::set<UINT> enIds, ruIds;
    for (const auto& [id, text] : en) {
        enIds.insert(id);
    }
    for (const auto& [id, text] : ru) {
        ruIds.insert(id);
    }
    EXPECT_EQ(enIds, ruIds);

    for (const auto& [id, enText] : en) {
        const auto it = ru.find(id);
        if (it == ru.end()) {
            continue;
        }
        const std::wstring& ruText = it->second;
        EXPECT_EQ(FormatDirectives(enText), FormatDirectives(ruText)) << "string " << id;
        // A line break in one language and none in the other breaks prompt/tooltip pairs.
        EXPECT_EQ(enText.find(L'\n') == std::wstring::npos,
                  ruText.find(L'\n') == std::wstring::npos)
            << "string " << id;
        if (kNameStrings.count(id)) {
            EXPECT_EQ(enText, ruText) << "name " << id << " is the same in both tables";
        } else if (HasWords(enText)) {
            EXPECT_TRUE(HasCyrillic(ruText))
                << "string " << id << " untranslated: " << Narrow(ruText);
        }
        EXPECT_FALSE(HasCyrillic(enText)) << "string " << id;
    }

    // The UTF-8 scripts reach the program as proper UTF-16 (a wrong code page
    // turns each Cyrillic letter into two Latin-1 characters).
    EXPECT_EQ(ru.at(175), L"\u0413\u043e\u0441\u0442\u044c");          // "Guest"
    EXPECT_EQ(ru.at(57345), L"\u0413\u043e\u0442\u043e\u0432\u043e");  // "Ready"
}

TEST(ResourceScripts, QuotedEnglishTextsAreKeptExactly) {
    const auto en = Strings(kEn);
    const std::map<UINT, std::wstring> expected = {
        {128, L"Velkora Certificates Browser"},
        {135, L"Orvel\\Velkora\\vkCert"},
        {160, L"Reading token \"%s\" containers ..."},
        {169, L"Certificate have been successfully saved  to \"%s\"  file."},
        {170, L"Failed to export certificate to \"%s\" file.\n Error description \"%s\"."},
        {172, L"%s"},
        {183, L"Import certfiticate from file ..."},
        {184, L"Certificate \"%s\" has been successfully registered in certtificate store."},
        {190, L"Export certificate to file\nExport certificate to file"},
        {195,
         L"System error occured while reading file \"%s\". System error description:\" %s\". "
         L"PFX import will be aborted."},
        {198,
         L"Certificate has been successfully imported from\r\n \"%s\" file.\r\n\r\n and placed "
         L"into\r\n \"%s\"  container\r\n created during import operation. "},
        {209,
         L"DER encoded binary X.509 (*.CER)|*.cer|Base-64 encoded X.509 (*.CER)|*.cer|"
         L"Personal information exchange(*.PFX)|*.pfx||"},
        {214, L"Login\nLogin"},
        {215, L"Logout\nLogout"},
        {219, L"*.pfx file password length must not exceed %d sumbols."},
        {223,
         L"Error has been occured during assigning default state to the '%s' container. "
         L"Error description :%s"},
        {228, L"vkCert Instance ID {5336E4D5-7B99-4f83-9D26-BF2107E155A0}"},
        {229, L"Velkora"},
        {230, L"Orvel Velkora CSP v1.0"},
        {231, L"vkCert help"},
        {233, L"User & Admin"},
        {250, L"Velkora Mini"},
        {32779,
         L"Remove certifcate from certificate store\nRemove certifcate from certificate store"},
        {57344, L"vkCert"},
        {57345, L"Ready"},
    };
    for (const auto& [id, text] : expected) {
        ASSERT_TRUE(en.count(id)) << "string " << id;
        EXPECT_EQ(en.at(id), text) << "string " << id;
    }
}

TEST(ResourceScripts, EveryCommandHasPromptAndTooltipInBothLanguages) {
    std::set<UINT> commands;
    for (LANGID lang : {kEn, kRu}) {
        for (const auto& [id, menu] : Menus(lang)) {
            CollectCommands(menu, commands);
        }
        for (const auto& a : Accelerators(lang, 128)) {
            commands.insert(a.id);
        }
    }
    ASSERT_GT(commands.size(), 20u);
    for (LANGID lang : {kEn, kRu}) {
        const auto strings = Strings(lang);
        for (UINT id : commands) {
            const auto it = strings.find(id);
            ASSERT_NE(it, strings.end()) << "command " << id << " has no string in " << lang;
            const auto nl = it->second.find(L'\n');
            ASSERT_NE(nl, std::wstring::npos) << "command " << id << " in " << lang;
            EXPECT_GT(nl, 0u) << "empty prompt of " << id << " in " << lang;
            const std::wstring tip = it->second.substr(nl + 1);
            EXPECT_FALSE(tip.empty()) << "empty tooltip of " << id << " in " << lang;
            EXPECT_EQ(tip.find(L'\n'), std::wstring::npos) << id;
            EXPECT_LT(tip.size(), 80u) << "tooltip of " << id << " does not fit its buffer";
        }
    }
}

TEST(ResourceScripts, MenusHaveTheSameCommandsInTheSamePlaces) {
    const auto en = Menus(kEn);
    const auto ru = Menus(kRu);
    ASSERT_EQ(en.size(), ru.size());
    for (const auto& [id, menu] : en) {
        ASSERT_TRUE(ru.count(id)) << "menu " << id;
        ExpectSameShape(menu, ru.at(id), "menu " + std::to_string(id));
    }

    // The main menu: File, View, Actions (third, where the item switches work), Help.
    const CMenu& main = en.at(128);
    ASSERT_EQ(main.Count(), 4u);
    std::vector<std::wstring> tops;
    for (const auto& item : main.Items()) {
        EXPECT_TRUE(item.popup);
        tops.push_back(Plain(item.text));
    }
    EXPECT_EQ(tops, (std::vector<std::wstring>{L"File", L"View", L"Actions", L"Help"}));
    const CMenu& actions = main.Items()[2].submenu;
    EXPECT_EQ(actions.FindPosition(32779), actions.FindPosition(32775) + 1);
    EXPECT_EQ(actions.FindPosition(32796), actions.FindPosition(32794) + 1);
    EXPECT_EQ(Commands(main.Items()[0].submenu), (std::set<UINT>{136}));
    EXPECT_EQ(Commands(main.Items()[1].submenu), (std::set<UINT>{137, 139, 166, 185, 203}));
    EXPECT_EQ(Commands(actions),
              (std::set<UINT>{190, 205, 214, 215, 32775, 32779, 32785, 32794, 32796}));
    EXPECT_EQ(Commands(main.Items()[3].submenu), (std::set<UINT>{32804, 32805, 32806, 57664}));

    const std::map<UINT, std::wstring> texts = {
        {136, L"Exit"},
        {137, L"Refresh\tF5"},
        {203, L"Show Containers"},
        {185, L"ToolBar"},
        {166, L"Status Bar"},
        {139, L"Switch to Russian"},
        {190, L"Export certificate to file"},
        {205, L"Import certificate from file"},
        {32775, L"Add certificate to certificate store"},
        {32779, L"Remove certifcate from certificate store"},
        {32794, L"Set as defaut container"},
        {32796, L"Remove \"default container\" state"},
        {32785, L"Delete container"},
        {214, L"Login"},
        {215, L"Logout"},
        {32804, L"Contents..."},
        {32805, L"Index..."},
        {32806, L"Search..."},
        {57664, L"About"},
    };
    for (const auto& [id, text] : texts) {
        const CMenuItem* item = main.FindCommand(id);
        ASSERT_NE(item, nullptr) << id;
        EXPECT_EQ(Plain(item->text), text) << id;
    }
    const CMenuItem* toEnglish = ru.at(128).FindCommand(kSwitchLanguage);
    ASSERT_NE(toEnglish, nullptr);
    EXPECT_EQ(Plain(toEnglish->text), L"Switch to English");

    // The context menus: one submenu each with the node's commands.
    const std::map<WORD, std::set<UINT>> context = {
        {189, {190, 205, 214, 215, 32775, 32779}},
        {229, {205, 214, 215, 32785, 32794, 32796}},
        {231, {205, 214, 215}},
    };
    for (const auto& [id, cmds] : context) {
        const CMenu& menu = en.at(id);
        ASSERT_EQ(menu.Count(), 1u) << id;
        ASSERT_TRUE(menu.Items()[0].popup) << id;
        EXPECT_EQ(Commands(menu), cmds) << id;
        // Context menu items read like their Actions menu twins.
        for (UINT cmd : cmds) {
            EXPECT_EQ(menu.FindCommand(cmd)->text, main.FindCommand(cmd)->text) << id << "/" << cmd;
            EXPECT_EQ(ru.at(id).FindCommand(cmd)->text, ru.at(128).FindCommand(cmd)->text)
                << id << "/" << cmd;
        }
    }
    const CMenu& keyMenu = en.at(189).Items()[0].submenu;
    EXPECT_EQ(keyMenu.FindPosition(32779), keyMenu.FindPosition(32775) + 1);
    const CMenu& containerMenu = en.at(229).Items()[0].submenu;
    EXPECT_EQ(containerMenu.FindPosition(32796), containerMenu.FindPosition(32794) + 1);
}

TEST(ResourceScripts, MenuMnemonicsAreUniqueAndRussianMenusAreTranslated) {
    for (LANGID lang : {kEn, kRu}) {
        for (const auto& [menuId, menu] : Menus(lang)) {
            const auto id = menuId;  // a copy: lambdas may not capture structured bindings
            ForEachLevel(menu, std::to_string(lang) + ":" + std::to_string(id),
                         [&](const CMenu& level, const std::string& where) {
                             std::set<wchar_t> seen;
                             for (const auto& item : level.Items()) {
                                 if (item.separator) {
                                     continue;
                                 }
                                 const auto marks = Mnemonics(item.text);
                                 EXPECT_LE(marks.size(), 1u) << where << " " << Narrow(item.text);
                                 for (wchar_t c : marks) {
                                     EXPECT_TRUE(seen.insert(c).second)
                                         << where << ": mnemonic of \"" << Narrow(item.text)
                                         << "\" used twice";
                                 }
                                 // The shown level of the main menu is the menu bar; every
                                 // item there and in its popups has a mnemonic.
                                 if (id == 128) {
                                     EXPECT_EQ(marks.size(), 1u)
                                         << where << " " << Narrow(item.text);
                                 }
                                 if (lang == kRu && !(item.id == kSwitchLanguage && !item.popup) &&
                                     HasWords(item.text)) {
                                     EXPECT_TRUE(HasCyrillic(item.text))
                                         << where << " untranslated: " << Narrow(item.text);
                                 }
                             }
                         });
        }
    }
}

TEST(ResourceScripts, AcceleratorsMatchTheirMenuHints) {
    const std::vector<Accel> expected = {
        {kAccelVirtKey, 0x74, 137},                  // F5: Refresh
        {kAccelVirtKey, 0x09, 32773},                // Tab: other pane
        {kAccelVirtKey, 0x75, 57680},                // F6: next pane
        {kAccelVirtKey | kAccelShift, 0x75, 57681},  // Shift+F6: previous pane
    };
    const auto en = Accelerators(kEn, 128);
    for (const auto& a : expected) {
        EXPECT_NE(std::find(en.begin(), en.end(), a), en.end())
            << "key " << a.key << " -> " << a.id;
    }
    auto sorted = [](std::vector<Accel> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(en), sorted(Accelerators(kRu, 128)));
    // No key combination is bound twice.
    auto s = sorted(en);
    for (std::size_t i = 1; i < s.size(); ++i) {
        EXPECT_FALSE(s[i].flags == s[i - 1].flags && s[i].key == s[i - 1].key) << s[i].key;
    }

    // Every hint after a tab in a menu text names a key of the table bound to that item.
    for (LANGID lang : {kEn, kRu}) {
        int hints = 0;
        for (const auto& [id, menu] : Menus(lang)) {
            ForEachLevel(menu, "", [&](const CMenu& level, const std::string&) {
                for (const auto& item : level.Items()) {
                    const auto tab = item.text.find(L'\t');
                    if (item.popup || tab == std::wstring::npos) {
                        continue;
                    }
                    ++hints;
                    std::wstring hint = item.text.substr(tab + 1);
                    WORD flags = kAccelVirtKey;
                    const std::vector<std::pair<std::wstring, WORD>> mods = {
                        {L"Shift+", kAccelShift}, {L"Ctrl+", kAccelControl}, {L"Alt+", kAccelAlt}};
                    for (bool found = true; found;) {
                        found = false;
                        for (const auto& [prefix, bit] : mods) {
                            if (hint.rfind(prefix, 0) == 0) {
                                flags |= bit;
                                hint.erase(0, prefix.size());
                                found = true;
                            }
                        }
                    }
                    ASSERT_TRUE(hint.size() >= 2 && hint[0] == L'F') << Narrow(item.text);
                    const WORD key = static_cast<WORD>(0x70 + std::stoi(hint.substr(1)) - 1);
                    const auto table = Accelerators(lang, 128);
                    EXPECT_NE(std::find(table.begin(), table.end(),
                                        Accel{flags, key, static_cast<WORD>(item.id)}),
                              table.end())
                        << Narrow(item.text);
                }
            });
        }
        EXPECT_GT(hints, 0) << lang;
    }
}

TEST(ResourceScripts, DialogsHaveTheSameControlsInBothLanguages) {
    const auto en = Dialogs(kEn);
    const auto ru = Dialogs(kRu);
    ASSERT_EQ(en.size(), ru.size());
    for (const auto& [id, a] : en) {
        ASSERT_TRUE(ru.count(id)) << "dialog " << id;
        const auto& b = ru.at(id);
        const std::string where = "dialog " + std::to_string(id);
        EXPECT_EQ(a.cx, b.cx) << where;
        EXPECT_EQ(a.cy, b.cy) << where;
        EXPECT_EQ(a.style, b.style) << where;
        EXPECT_EQ(a.exStyle, b.exStyle) << where;
        EXPECT_EQ(FormatDirectives(a.title), FormatDirectives(b.title)) << where;
        for (const auto* d : {&a, &b}) {
            EXPECT_TRUE(d->hasFont) << where;
            EXPECT_EQ(d->typeface, L"MS Shell Dlg") << where;
            EXPECT_EQ(d->pointSize, 8) << where;
        }
        ASSERT_EQ(a.items.size(), b.items.size()) << where;
        for (std::size_t i = 0; i < a.items.size(); ++i) {
            const auto& x = a.items[i];
            const auto& y = b.items[i];
            const std::string at = where + " " + Describe(x);
            EXPECT_EQ(x.id, y.id) << at;
            EXPECT_EQ(Lower(x.ClassName()), Lower(y.ClassName())) << at;
            EXPECT_EQ(x.style, y.style) << at;
            EXPECT_EQ(x.exStyle, y.exStyle) << at;
            EXPECT_EQ(x.title.IsId(), y.title.IsId()) << at;
            if (x.title.IsId() && y.title.IsId()) {
                EXPECT_EQ(x.title.Id(), y.title.Id()) << at;
            }
            EXPECT_EQ(FormatDirectives(x.Text()), FormatDirectives(y.Text())) << at;
            if (HasWords(x.Text())) {
                EXPECT_TRUE(HasCyrillic(y.Text())) << at << " untranslated: " << Narrow(y.Text());
            }
        }
        if (HasWords(a.title)) {
            EXPECT_TRUE(HasCyrillic(b.title)) << where << " caption " << Narrow(b.title);
        }
    }
}

TEST(ResourceScripts, DialogControlsStayInsideAndDoNotOverlap) {
    for (LANGID lang : {kEn, kRu}) {
        for (const auto& [id, dlg] : Dialogs(lang)) {
            const std::string where = std::to_string(lang) + " dialog " + std::to_string(id);
            const Rect bounds{0, 0, dlg.cx, dlg.cy};
            std::vector<const CDialogItemTemplate*> shown;
            for (const auto& item : dlg.items) {
                EXPECT_TRUE(Inside(RectOf(item), bounds)) << where << " " << Describe(item);
                EXPECT_GT(item.cx, 0) << where << " " << Describe(item);
                EXPECT_GT(item.cy, 0) << where << " " << Describe(item);
                if (Visible(item)) {
                    shown.push_back(&item);
                }
            }
            for (std::size_t i = 0; i < shown.size(); ++i) {
                for (std::size_t j = i + 1; j < shown.size(); ++j) {
                    const Rect a = RectOf(*shown[i]);
                    const Rect b = RectOf(*shown[j]);
                    if (!Overlap(a, b)) {
                        continue;
                    }
                    // Only a group box may hold other controls, and then wholly.
                    const bool held = (IsGroupBox(*shown[i]) && Inside(b, a)) ||
                                      (IsGroupBox(*shown[j]) && Inside(a, b));
                    EXPECT_TRUE(held) << where << ": " << Describe(*shown[i]) << " overlaps "
                                      << Describe(*shown[j]);
                }
            }
        }
    }
}

TEST(ResourceScripts, WizardPagesFollowThePageLayout) {
    // Forward button caption per page; pages whose Cancel and forward buttons start disabled.
    const std::map<WORD, std::wstring> forward = {
        {230, L"Next >"}, {233, L"Exit"}, {234, L"Next >"}, {235, L"Ready"}, {236, L"Next >"},
        {237, L"Next >"}, {239, L"Exit"}, {240, L"Next >"}, {241, L"Ready"},
    };
    const std::set<WORD> cancelDisabled = {233, 235, 236, 239, 240, 241};
    const std::set<WORD> forwardDisabled = {236, 240};
    const auto en = Dialogs(kEn);
    for (LANGID lang : {kEn, kRu}) {
        const auto dialogs = Dialogs(lang);
        for (const auto& [id, caption] : forward) {
            const std::string where = std::to_string(lang) + " page " + std::to_string(id);
            const CDialogTemplate& page = dialogs.at(id);
            EXPECT_EQ(page.cx, 300) << where;
            EXPECT_EQ(page.cy, 170) << where;

            const auto picture =
                std::find_if(page.items.begin(), page.items.end(),
                             [](const auto& i) { return i.title.IsId() && i.title.Id() == 244; });
            ASSERT_NE(picture, page.items.end()) << where;
            EXPECT_EQ(std::vector<int>({picture->x, picture->y, picture->cx, picture->cy}),
                      std::vector<int>({7, 7, 93, 135}))
                << where;

            const auto* back = Item(page, 1077);
            const auto* ok = Item(page, 1);
            const auto* cancel = Item(page, 2);
            ASSERT_TRUE(back && ok && cancel) << where;
            EXPECT_EQ(std::vector<int>({back->x, ok->x, cancel->x}),
                      std::vector<int>({130, 180, 243}))
                << where;
            for (const auto* b : {back, ok, cancel}) {
                EXPECT_EQ(b->y, 148) << where;
                EXPECT_EQ(Lower(b->ClassName()), L"button") << where;
            }
            EXPECT_FALSE(Enabled(*back)) << where;
            EXPECT_EQ(Enabled(*cancel), !cancelDisabled.count(id)) << where;
            EXPECT_EQ(Enabled(*ok), !forwardDisabled.count(id)) << where;
            if (lang == kEn) {
                EXPECT_EQ(ok->Text(), caption) << where;
                EXPECT_EQ(back->Text(), L"< Back") << where;
                EXPECT_EQ(cancel->Text(), L"Cancel") << where;
            } else {
                // The same button reads the same on every Russian page.
                for (const auto& [other, otherCaption] : forward) {
                    if (otherCaption == caption) {
                        EXPECT_EQ(ok->Text(), Item(dialogs.at(other), 1)->Text()) << where;
                    }
                }
            }

            // The separator line above the buttons.
            const bool line = std::any_of(page.items.begin(), page.items.end(), [](const auto& i) {
                return Lower(i.ClassName()) == L"static" && (i.style & 0x1F) == 0x10 && i.y == 142;
            });
            EXPECT_TRUE(line) << where;
        }
    }
}

TEST(ResourceScripts, ControlsTheProgramLooksForAreInPlace) {
    struct Expect {
        WORD dialog;
        DWORD control;
        std::wstring cls;                  // lower case
        std::optional<std::wstring> text;  // English text when it matters
        std::optional<WORD> image;         // picture resource shown by the control
        bool visible = true;
    };
    const std::vector<Expect> table = {
        {100, 1030, L"syslistview32", std::nullopt, std::nullopt},
        {100, 1072, L"static", L"vkCert Version %s", std::nullopt},
        {100, 1088, L"static", std::nullopt, std::nullopt},
        {100, 1031, L"static", L"File name", std::nullopt, false},
        {100, 1032, L"static", L"Version", std::nullopt, false},
        {100, 1033, L"static", L"Description", std::nullopt, false},
        {100, 1, L"button", L"OK", std::nullopt},
        {106, 1036, L"static", L"%s   Container", std::nullopt},
        {106, 1042, L"static", std::nullopt, 176},
        {106, 1045, L"static", std::nullopt, std::nullopt},
        {106, 1044, L"static", std::nullopt, std::nullopt},
        {107, 1008, L"static", L"\nCertificate to view", std::nullopt},
        {107, 1014, L"static", std::nullopt, std::nullopt},
        {107, 1040, L"static", std::nullopt, std::nullopt},
        {108, 1048, L"static", L"Token %s<%s> properties", std::nullopt},
        {108, 1052, L"static", std::nullopt, 188},
        {108, 1047, L"static", std::nullopt, std::nullopt},
        {108, 1049, L"static", std::nullopt, std::nullopt},
        {108, 1051, L"static", L"No Velkora's detected.", std::nullopt, false},
        {197, 1056, L"static", L"Files of type:", std::nullopt},
        {197, 1057, L"static", L"Look in:", std::nullopt},
        {197, 1058, L"static", L"File name:", std::nullopt},
        {197, 1062, L"static", L"Ok", std::nullopt},
        {197, 1060, L"static", L"Cancel", std::nullopt},
        {197, 1061, L"static", L"Help", std::nullopt},
        {198, 1008, L"static", L"\nKey Properties", std::nullopt},
        {198, 1063, L"static", std::nullopt, 210},
        {198, 1014, L"static", std::nullopt, std::nullopt},
        {198, 1040, L"static", std::nullopt, std::nullopt},
        {222, 1064, L"systreeview32", std::nullopt, std::nullopt},
        {230, 1086, L"static", std::nullopt, std::nullopt},
        {230, 1069, L"edit", std::nullopt, std::nullopt},
        {233, 1076, L"static", std::nullopt, std::nullopt},
        {234, 1079, L"edit", std::nullopt, std::nullopt},
        {234, 1080, L"button", L"Unique name", std::nullopt},
        {234, 1082, L"button", L"Enable private key export", std::nullopt},
        {235, 1078, L"static", std::nullopt, std::nullopt},
        {236, 1081, L"static", std::nullopt, std::nullopt},
        {237, 1008, L"static", std::nullopt, std::nullopt},
        {237, 1069, L"edit", std::nullopt, std::nullopt},
        {237, 1070, L"edit", std::nullopt, std::nullopt},
        {239, 1084, L"static", std::nullopt, std::nullopt},
        {240, 1078, L"static", std::nullopt, std::nullopt},
        {241, 1085, L"static", std::nullopt, std::nullopt},
    };
    const auto en = Dialogs(kEn);
    for (const auto& e : table) {
        const std::string where =
            "dialog " + std::to_string(e.dialog) + " control " + std::to_string(e.control);
        ASSERT_TRUE(en.count(e.dialog)) << where;
        const auto* item = Item(en.at(e.dialog), e.control);
        ASSERT_NE(item, nullptr) << where;
        EXPECT_EQ(Lower(item->ClassName()), e.cls) << where;
        EXPECT_EQ(Visible(*item), e.visible) << where;
        EXPECT_TRUE(Enabled(*item)) << where;
        if (e.text) {
            EXPECT_EQ(item->Text(), *e.text) << where;
        }
        if (e.image) {
            ASSERT_TRUE(item->title.IsId()) << where;
            EXPECT_EQ(item->title.Id(), *e.image) << where;
        }
    }

    // Password entries hide what is typed (ES_PASSWORD).
    for (const auto& [dialog, control] :
         std::vector<std::pair<WORD, DWORD>>{{230, 1069}, {237, 1069}, {237, 1070}}) {
        EXPECT_TRUE(Item(en.at(dialog), control)->style & 0x20) << dialog << "/" << control;
    }
    // The container page's quoted texts, doubled space included.
    const auto& page = en.at(234);
    std::set<std::wstring> texts;
    for (const auto& i : page.items) {
        texts.insert(i.Text());
    }
    EXPECT_TRUE(texts.count(L"Container name"));
    EXPECT_TRUE(texts.count(L"Enter container name, where certificate will be imported:"));
    EXPECT_TRUE(
        texts.count(L"Setting this flag allows import the certificate back to  *.pfx file, "
                    L"but this reduces the private key security level."));
    // The tree: buttons, lines, lines at root, selection always shown, no drag and drop, tab stop.
    EXPECT_EQ(Item(en.at(222), 1064)->style & 0x0001003F, 0x00010037u);
    EXPECT_EQ(en.at(100).title, L"About vkCert");
}
