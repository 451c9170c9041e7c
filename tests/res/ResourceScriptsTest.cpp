// The embedded resources: both languages hold the same resources and every named id, and agree;
// Russian is translated; looked-up names are exact. And res/resource.h is the one home of the ids:
// no source outside tests/data declares an id-like name with the number of one of its ids.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/text/Utf.h"
#include "platform/token/VelkoraProvider.h"
#include "program/app/DialogTemplate.h"
#include "program/app/LangIds.h"
#include "program/app/MenuTemplate.h"
#include "program/app/ResFile.h"
#include "program/app/StringTable.h"
#include "program/app/WindowStyles.h"
#include "res/EmbeddedResources.h"
#include "res/resource.h"

namespace {

constexpr LANGID kEn = LANG_NEUTRAL_DEFAULT_ID;
constexpr LANGID kRu = LANG_RUSSIAN_ID;
constexpr LANGID kLanguages[] = {kEn, kRu};

// ACCELTABLEENTRY flags.
constexpr WORD kAccelVirtKey = 0x01, kAccelShift = 0x04, kAccelControl = 0x08, kAccelAlt = 0x10,
               kAccelLast = 0x80;

// Names that stay the same in every language.
const std::set<UINT> kNameStrings = {IDS_SETTINGS_KEY,  IDS_INSTANCE_NAME, IDS_PRODUCT_WORD,
                                     IDS_PROVIDER_NAME, IDS_MODEL_MINI,    AFX_IDS_APP_TITLE};

const CResFile& Res() {
    static CResFile res;
    static const bool loaded = res.Load(VkEmbeddedResources());
    EXPECT_TRUE(loaded) << res.Error();
    return res;
}

// Name -> number, as res/resource.h defines them.
using Ids = std::map<std::string, unsigned long>;

Ids NamedIds() {
    std::ifstream in(VK_RESOURCE_H);
    const std::regex define(R"(^\s*#\s*define\s+(\w+)\s+(\d+)\s*(//.*)?$)");
    Ids out;
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (std::regex_match(line, m, define)) {
            out[m[1]] = std::stoul(m[2]);
        }
    }
    EXPECT_GT(out.size(), 150u) << VK_RESOURCE_H;
    return out;
}

std::map<UINT, std::wstring> Strings(LANGID lang) {
    std::map<UINT, std::wstring> out;
    for (const auto& e : Res().Entries()) {
        if (e.language == lang && e.type == CResName(RT_STRING) && e.name.IsId()) {
            for (UINT i = 0; i < 16; ++i) {
                const auto text = StringFromBlock(e.data, i);
                if (text && !text->empty()) {
                    out[(e.name.Id() - 1u) * 16u + i] = *text;
                }
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

auto Menus(LANGID lang) {
    return ParseAll<CMenu>(RT_MENU, lang, ParseMenuTemplate);
}

// Flags, key, command.
using Accel = std::tuple<WORD, WORD, WORD>;

// ACCELTABLEENTRY: flags, key, command, padding; the last one marked 0x80. Sorted.
std::vector<Accel> Accelerators(LANGID lang) {
    const CResEntry* e = Res().Find(CResName(RT_ACCELERATOR), CResName(IDR_MAINFRAME), lang);
    std::vector<Accel> out;
    bool last = false;
    for (std::size_t pos = 0; e && pos + 8 <= e->data.size() && !last; pos += 8) {
        auto word = [&](std::size_t at) {
            return static_cast<WORD>(e->data[pos + at] | (e->data[pos + at + 1] << 8));
        };
        last = (word(0) & kAccelLast) != 0;
        out.push_back({static_cast<WORD>(word(0) & ~kAccelLast & ~0x02), word(2), word(4)});
    }
    EXPECT_TRUE(last) << "accelerator table without its last-entry mark";
    std::sort(out.begin(), out.end());
    return out;
}

const std::wregex kDirective(
    LR"(%[-+ #0]*(\d+|\*)?(\.(\d+|\*))?(hh|h|ll|l|w|I64)?[diouxXcsSeEfgGp%])");

std::vector<std::wstring> FormatDirectives(const std::wstring& text) {
    return {std::wsregex_token_iterator(text.begin(), text.end(), kDirective), {}};
}

bool HasCyrillic(const std::wstring& text) {
    return std::regex_search(text, std::wregex(L"[\u0400-\u04FF]"));
}
// Text with words in it, once the format directives are taken out.
bool HasWords(const std::wstring& text) {
    return std::regex_search(std::regex_replace(text, kDirective, L""),
                             std::wregex(L"[A-Za-z\u0400-\u04FF]"));
}

// The mnemonic characters of a menu text, in upper case ("&&" is none).
std::vector<wchar_t> Mnemonics(const std::wstring& text) {
    static const std::wregex mark(L"&([^&])|&&");
    std::vector<wchar_t> out;
    for (std::wsregex_iterator it(text.begin(), text.end(), mark), end; it != end; ++it) {
        // Cyrillic upper case without the C library's locale tables.
        if (const wchar_t c = (*it)[1].matched ? it->str(1)[0] : 0) {
            out.push_back(c >= 0x0430 && c <= 0x045F ? c - (c < 0x0450 ? 0x20 : 0x50)
                                                     : std::towupper(c));
        }
    }
    return out;
}

// Every level of a menu, with the path of positions that leads to it.
template <typename Fn>
void ForEachLevel(const CMenu& menu, const std::string& path, Fn fn) {
    fn(menu, path);
    for (std::size_t i = 0; i < menu.Count(); ++i) {
        if (menu.Items()[i].popup) {
            ForEachLevel(menu.Items()[i].submenu, path + "/" + std::to_string(i), fn);
        }
    }
}

// Every item of a menu, where it is and what it is, all but its text.
std::vector<std::tuple<std::string, bool, bool, UINT, bool, bool>> Shape(const CMenu& menu) {
    std::vector<std::tuple<std::string, bool, bool, UINT, bool, bool>> out;
    ForEachLevel(menu, "", [&out](const CMenu& level, const std::string& path) {
        for (const auto& i : level.Items()) {
            out.emplace_back(path, i.popup, i.separator, i.id, i.checked, i.IsEnabled());
        }
    });
    return out;
}

std::set<UINT> Commands(const CMenu& menu) {
    std::set<UINT> out;
    for (const auto& [path, popup, separator, id, checked, enabled] : Shape(menu)) {
        if (!popup && !separator) {
            out.insert(id);
        }
    }
    return out;
}

std::wstring Lower(std::wstring s) {
    std::ranges::transform(s, s.begin(), [](wchar_t c) { return wchar_t(std::towlower(c)); });
    return s;
}

struct Rect {
    int l, t, r, b;
    explicit Rect(const CDialogItemTemplate& i) : l(i.x), t(i.y), r(i.x + i.cx), b(i.y + i.cy) {}
    Rect(int l_, int t_, int r_, int b_) : l(l_), t(t_), r(r_), b(b_) {}
    bool Overlaps(const Rect& o) const { return l < o.r && o.l < r && t < o.b && o.t < b; }
    bool Inside(const Rect& o) const { return l >= o.l && r <= o.r && t >= o.t && b <= o.b; }
};

bool IsGroupBox(const CDialogItemTemplate& item) {
    return Lower(item.ClassName()) == L"button" && (item.style & BS_TYPEMASK) == BS_GROUPBOX;
}

std::string Describe(const CDialogItemTemplate& i) {
    return "control " + std::to_string(static_cast<int>(i.id)) + " \"" + WideToUtf8(i.Text()) +
           "\"";
}

// Controls inside their dialog, and shown ones apart: only a group box may hold others, wholly.
void ExpectInsideAndApart(const CDialogTemplate& dlg, const std::string& where) {
    std::vector<const CDialogItemTemplate*> shown;
    for (const auto& item : dlg.items) {
        EXPECT_TRUE(Rect(item).Inside({0, 0, dlg.cx, dlg.cy}) && item.cx > 0 && item.cy > 0)
            << where << " " << Describe(item);
        if (item.style & WS_VISIBLE) {
            shown.push_back(&item);
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const Rect a(*shown[i]), b(*shown[j]);
            const bool held =
                (IsGroupBox(*shown[i]) && b.Inside(a)) || (IsGroupBox(*shown[j]) && a.Inside(b));
            EXPECT_TRUE(!a.Overlaps(b) || held)
                << where << ": " << Describe(*shown[i]) << " overlaps " << Describe(*shown[j]);
        }
    }
}

}  // namespace

TEST(ResourceScripts, BothLanguagesHoldTheSameResourcesAndEveryNamedOneStringsAgree) {
    std::map<LANGID, std::set<std::pair<WORD, WORD>>> byLang;
    for (const auto& e : Res().Entries()) {
        ASSERT_TRUE(e.type.IsId() && e.name.IsId());
        byLang[e.language].insert({e.type.Id(), e.name.Id()});
    }
    // Only the two interface languages; images and the help file live elsewhere.
    ASSERT_EQ(byLang.size(), 2u);
    EXPECT_EQ(byLang[kEn], byLang[kRu]);

    const auto en = Strings(kEn);
    const auto ru = Strings(kRu);
    ASSERT_GT(en.size(), 100u);
    std::set<std::pair<WORD, WORD>> named, templates;  // type, id
    for (const auto& [name, id] : NamedIds()) {
        if (name.starts_with("IDS_") || name.starts_with("AFX_IDS_") ||
            name.starts_with("ID_INDICATOR_")) {
            EXPECT_TRUE(en.count(id)) << name << " has no string";
        } else if (name.starts_with("IDD_")) {
            named.insert({RT_DIALOG, WORD(id)});
        } else if (name == "IDR_MAINFRAME" ||
                   (name.starts_with("IDR_") && name.ends_with("_MENU"))) {
            named.insert({RT_MENU, WORD(id)});
        }
    }
    // Every named template is there, and none is there without a name the code can use.
    std::ranges::copy_if(byLang[kEn], std::inserter(templates, templates.end()),
                         [](const auto& r) { return r.first == RT_MENU || r.first == RT_DIALOG; });
    EXPECT_EQ(templates, named);

    EXPECT_EQ(en.size(), ru.size());
    for (const auto& [id, enText] : en) {
        ASSERT_TRUE(ru.contains(id)) << "string " << id;
        const std::wstring& ruText = ru.at(id);
        EXPECT_EQ(FormatDirectives(enText), FormatDirectives(ruText)) << "string " << id;
        // A line break in one language and none in the other breaks prompt/tooltip pairs.
        EXPECT_EQ(enText.find(L'\n') == std::wstring::npos,
                  ruText.find(L'\n') == std::wstring::npos)
            << "string " << id;
        if (kNameStrings.count(id)) {
            EXPECT_EQ(enText, ruText) << "name " << id << " is the same in both tables";
        } else if (HasWords(enText)) {
            EXPECT_TRUE(HasCyrillic(ruText))
                << "string " << id << " untranslated: " << WideToUtf8(ruText);
        }
        EXPECT_FALSE(HasCyrillic(enText)) << "string " << id;
    }
    // The registered provider is looked up by its name.
    EXPECT_EQ(en.at(IDS_PROVIDER_NAME), vkstore::kVelkoraProviderName);
}

TEST(ResourceScripts, CommandsHavePromptAndTooltipMenusOneShapeContextMenusReadLikeTheMain) {
    std::set<UINT> commands;
    for (LANGID lang : kLanguages) {
        for (const auto& [id, menu] : Menus(lang)) {
            commands.merge(Commands(menu));
        }
        for (const auto& [flags, key, id] : Accelerators(lang)) {
            commands.insert(id);
        }
    }
    ASSERT_GT(commands.size(), 20u);
    // A prompt, then a tooltip that fits its buffer.
    static const std::wregex promptAndTip(LR"([^\n]+\n[^\n]{1,79})");
    for (LANGID lang : kLanguages) {
        const auto strings = Strings(lang);
        for (UINT id : commands) {
            EXPECT_TRUE(strings.contains(id) && std::regex_match(strings.at(id), promptAndTip))
                << "command " << id << " in " << lang;
        }
    }

    const auto en = Menus(kEn);
    const auto ru = Menus(kRu);
    for (const auto& [id, menu] : en) {
        EXPECT_EQ(Shape(menu), Shape(ru.at(id))) << "menu " << id;
    }
    // The item switches work on the Actions menu (third) and the context menus: each pair
    // stands side by side.
    const CMenu& actions = en.at(IDR_MAINFRAME).Items().at(2).submenu;
    const CMenu& keyMenu = en.at(IDR_CERTIFICATE_MENU).Items().at(0).submenu;
    const CMenu& containerMenu = en.at(IDR_CONTAINER_MENU).Items().at(0).submenu;
    for (const auto& [menu, on, off] :
         {std::tuple{&actions, ID_ACTIONS_ADD_TO_STORE, ID_ACTIONS_REMOVE_FROM_STORE},
          {&actions, ID_ACTIONS_SET_DEFAULT, ID_ACTIONS_REMOVE_DEFAULT},
          {&keyMenu, ID_ACTIONS_ADD_TO_STORE, ID_ACTIONS_REMOVE_FROM_STORE},
          {&containerMenu, ID_ACTIONS_SET_DEFAULT, ID_ACTIONS_REMOVE_DEFAULT}}) {
        EXPECT_EQ(menu->FindPosition(off), menu->FindPosition(on) + 1) << off;
    }

    for (WORD id : {IDR_CERTIFICATE_MENU, IDR_CONTAINER_MENU, IDR_TOKEN_MENU}) {
        const CMenu& menu = en.at(id);
        ASSERT_EQ(menu.Count(), 1u) << id;
        ASSERT_TRUE(menu.Items()[0].popup) << id;
        for (UINT cmd : Commands(menu)) {
            ASSERT_NE(actions.FindCommand(cmd), nullptr) << id << "/" << cmd;
            EXPECT_EQ(menu.FindCommand(cmd)->text, actions.FindCommand(cmd)->text)
                << id << "/" << cmd;
            EXPECT_EQ(ru.at(id).FindCommand(cmd)->text, ru.at(IDR_MAINFRAME).FindCommand(cmd)->text)
                << id << "/" << cmd;
        }
    }
}

TEST(ResourceScripts, MenuMnemonicsAreUniqueRussianMenusTranslatedKeyHintsMatchAccelerators) {
    const auto en = Accelerators(kEn);
    EXPECT_EQ(en, Accelerators(kRu));
    const auto flagsAndKey = [](const Accel& a) {
        return std::pair(std::get<0>(a), std::get<1>(a));
    };
    EXPECT_EQ(std::ranges::adjacent_find(en, {}, flagsAndKey), en.end()) << "a key bound twice";
    static const std::wregex keys(LR"((Ctrl\+)?(Alt\+)?(Shift\+)?F(\d+))");
    for (LANGID lang : kLanguages) {
        int hints = 0;
        for (const auto& [menuId, menu] : Menus(lang)) {
            const bool bar = menuId == IDR_MAINFRAME;
            const auto check = [&](const CMenu& level, const std::string& where) {
                std::set<wchar_t> seen;
                for (const auto& item : level.Items()) {
                    const std::string text = where + " " + WideToUtf8(item.text);
                    const auto marks = Mnemonics(item.text);
                    // One at most; every item of the menu bar and its popups has one.
                    EXPECT_TRUE(marks.size() == 1 || (marks.empty() && (!bar || item.separator)))
                        << text;
                    for (wchar_t c : marks) {
                        EXPECT_TRUE(seen.insert(c).second) << text << ": used twice";
                    }
                    // Russian menus are translated, but offer English in English.
                    if (lang == kRu && HasWords(item.text)) {
                        EXPECT_EQ(HasCyrillic(item.text), item.id != ID_VIEW_SWITCH_LANGUAGE)
                            << text;
                    }
                    // A hint after a tab names a key of the table bound to that item.
                    const auto tab = item.text.find(L'\t');
                    if (item.popup || tab == std::wstring::npos) {
                        continue;
                    }
                    ++hints;
                    std::wsmatch m;
                    const std::wstring hint = item.text.substr(tab + 1);
                    ASSERT_TRUE(std::regex_match(hint, m, keys)) << text;
                    const WORD flags = kAccelVirtKey | (m[1].matched ? kAccelControl : 0) |
                                       (m[2].matched ? kAccelAlt : 0) |
                                       (m[3].matched ? kAccelShift : 0);
                    const WORD key = static_cast<WORD>(0x70 + std::stoi(m[4]) - 1);
                    EXPECT_TRUE(std::ranges::binary_search(en, Accel{flags, key, WORD(item.id)}))
                        << text;
                }
            };
            ForEachLevel(menu, std::to_string(lang) + ":" + std::to_string(menuId), check);
        }
        EXPECT_GT(hints, 0) << lang;
    }
}

TEST(ResourceScripts, DialogsHaveTheSameControlsInBothLanguagesInsideAndApart) {
    const auto en = ParseAll<CDialogTemplate>(RT_DIALOG, kEn, ParseDialogTemplate);
    const auto ru = ParseAll<CDialogTemplate>(RT_DIALOG, kRu, ParseDialogTemplate);
    for (const auto& [id, a] : en) {
        const auto& b = ru.at(id);
        const std::string where = "dialog " + std::to_string(id);
        EXPECT_EQ(std::tie(a.cx, a.cy, a.style, a.exStyle),
                  std::tie(b.cx, b.cy, b.style, b.exStyle))
            << where;
        EXPECT_EQ(FormatDirectives(a.title), FormatDirectives(b.title)) << where;
        for (const auto* d : {&a, &b}) {
            EXPECT_TRUE(d->hasFont && d->typeface == L"MS Shell Dlg" && d->pointSize == 8) << where;
            ExpectInsideAndApart(*d, where + (d == &a ? " en" : " ru"));
        }
        if (HasWords(a.title)) {
            EXPECT_TRUE(HasCyrillic(b.title)) << where << " caption " << WideToUtf8(b.title);
        }
        ASSERT_EQ(a.items.size(), b.items.size()) << where;
        for (std::size_t i = 0; i < a.items.size(); ++i) {
            const auto& x = a.items[i];
            const auto& y = b.items[i];
            const std::string at = where + " " + Describe(x);
            EXPECT_EQ(std::tie(x.id, x.style, x.exStyle), std::tie(y.id, y.style, y.exStyle)) << at;
            EXPECT_EQ(Lower(x.ClassName()), Lower(y.ClassName())) << at;
            EXPECT_EQ(x.title.IsId() ? x.title.Id() : -1, y.title.IsId() ? y.title.Id() : -1) << at;
            EXPECT_EQ(FormatDirectives(x.Text()), FormatDirectives(y.Text())) << at;
            if (HasWords(x.Text())) {
                EXPECT_TRUE(HasCyrillic(y.Text()))
                    << at << " untranslated: " << WideToUtf8(y.Text());
            }
        }
    }
    // Password entries hide what is typed.
    for (const auto& [dialog, control] : {std::pair{IDD_PFX_IMPORT_PASSWORD, IDC_PASSWORD},
                                          {IDD_PFX_EXPORT_PASSWORD, IDC_PASSWORD},
                                          {IDD_PFX_EXPORT_PASSWORD, IDC_CONFIRM_PASSWORD}}) {
        ASSERT_NE(en.at(dialog).FindItem(control), nullptr) << dialog << "/" << control;
        EXPECT_TRUE(en.at(dialog).FindItem(control)->style & ES_PASSWORD) << dialog;
    }
}

namespace {

namespace fs = std::filesystem;

bool LooksLikeId(const std::string& name) {
    static const std::regex pattern(
        R"(k(Ids|Idd|Idc|Idi|Idb|Idr|Cmd|Menu|Str|Icon|Image)[A-Z0-9_]\w*|kId([A-Z0-9_]\w*)?)"
        R"(|k\w*(Id|Ids|Dialog|Template|Control|Menu)|(AFX_)?ID[A-Z]*_\w+)");
    return std::regex_match(name, pattern);
}

// The line without its string and character literals and comments.
std::string CodeOnly(std::string line, bool& inBlockComment) {
    static const std::regex literalOrComment(R"("(\\.|[^"\\])*"|'(\\.|[^'\\])*'|//.*|/\*.*?\*/)");
    if (inBlockComment) {
        const auto end = line.find("*/");
        inBlockComment = end == std::string::npos;
        line.erase(0, inBlockComment ? line.size() : end + 2);
    }
    line = std::regex_replace(line, literalOrComment, " ");
    if (const auto open = line.find("/*"); open != std::string::npos) {
        line.erase(open);
        inBlockComment = true;
    }
    return line;
}

using Declaration = std::pair<std::string, unsigned long>;  // name, number

// Declarations of a name with a number in one line of code: constants (constexpr or const,
// "= n" or "{n}"), macros, and enumerators or members "Name = n," at the start of the line.
std::vector<Declaration> NumberDeclarations(const std::string& code) {
    static const std::regex constant(
        R"(\b(?:constexpr|const)\s+[\w:<>, ]*?\b(\w+)\s*(?:=\s*|\{\s*)(0[xX][0-9a-fA-F]+|\d+)[uUlL]*\s*[;},])");
    static const std::regex macro(
        R"(^\s*#\s*define\s+(\w+)\s+\(?\s*(0[xX][0-9a-fA-F]+|\d+)[uUlL]*)");
    static const std::regex enumerator(
        R"(^\s*(\w+)\s*=\s*(0[xX][0-9a-fA-F]+|\d+)[uUlL]*\s*,?\s*$)");
    std::vector<Declaration> found;
    for (const std::regex* re : {&constant, &macro, &enumerator}) {
        for (std::sregex_iterator it(code.begin(), code.end(), *re), end; it != end; ++it) {
            found.push_back({(*it)[1].str(), std::stoul((*it)[2].str(), nullptr, 0)});
        }
    }
    return found;
}

std::vector<std::string> Offences(std::istream&& in, const Ids& ids, const std::string& where) {
    std::vector<std::string> offences;
    bool inBlockComment = false;
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        for (const auto& [name, number] : NumberDeclarations(CodeOnly(line, inBlockComment))) {
            const auto id = std::ranges::find(ids, number, &Ids::value_type::second);
            if (id != ids.end() && LooksLikeId(name)) {
                offences.push_back(where + ":" + std::to_string(n) + ": " + name + " = " +
                                   std::to_string(number) + " (res/resource.h: " + id->first + ")");
            }
        }
    }
    return offences;
}

TEST(ResourceIdHome, NoSourceDeclaresAResourceIdOfItsOwnTheScanFindsThemAndNothingElse) {
    const Ids ids = NamedIds();
    const char* const planted =
        "constexpr UINT kCmdExport = 190;\n    static constexpr unsigned kTemplateId = 222;\n"
        "inline constexpr UINT kTreeControlId{1064};\n#define IDS_VALID_FROM 129\n"
        "    kCmdAddToStore = 0x8007,\nconstexpr UINT kId = 129u;\n";
    EXPECT_EQ(Offences(std::istringstream(planted), ids, "x").size(), 6u);
    // Not an id's name, nor an id's number; comments; a string; a use.
    const char* const innocent =
        "constexpr int kIdleUpdateMs = 250;\nconstexpr UINT kCmdUnknown = 4242;\n"
        "// constexpr UINT kCmdExport = 190;\n/* constexpr UINT kCmdExport = 190; */\n"
        "/* a comment of lines:\n    kCmdExport = 190,\n*/\n"
        "Write(\"constexpr UINT kCmdExport = 190;\");\n    if (id == kCmdExport) { return 190; }\n";
    EXPECT_EQ(Offences(std::istringstream(innocent), ids, "x"), std::vector<std::string>());

    const fs::path root = fs::path(VK_RESOURCE_H).parent_path().parent_path();
    std::vector<std::string> offences;
    std::size_t files = 0;
    for (const char* tree : {"src", "tools", "bench", "fuzz", "tests"}) {
        if (!fs::is_directory(root / tree)) {
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(root / tree)) {
            const std::string ext = entry.path().extension().string();
            const std::string relative = fs::relative(entry.path(), root).generic_string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h" && ext != ".hpp") ||
                relative.starts_with("tests/data/")) {
                continue;
            }
            ++files;
            std::ranges::move(Offences(std::ifstream(entry.path()), ids, relative),
                              std::back_inserter(offences));
        }
    }
    ASSERT_GT(files, 200u) << root;
    EXPECT_EQ(offences, std::vector<std::string>()) << "use the names of res/resource.h instead";
}

}  // namespace
