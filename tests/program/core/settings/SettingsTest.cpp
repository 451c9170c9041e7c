// The settings store over the real registry: flags and records read and written, stored forms
// refused, the list's duplicate rule and prefix, one failure not stopping the others, a saved list
// loading in a new process. The window's own list and the registry itself are tested with them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/registry/RegTestUtil.h"
#include "program/core/settings/CRawStruct.h"
#include "program/core/settings/CSettingBool.h"
#include "program/core/settings/CSettings.h"
#include "program/core/settings/CSplitterItemInfo.h"
#include "program/core/settings/CWindowPlacement.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

namespace {

using regtest::SzBytes;

const wchar_t* const kFull = L"SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings";
const wchar_t* const kBelowPrefix = L"Orvel\\Velkora\\vkCert\\Settings";

void Store(const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
    ASSERT_EQ(regtest::Set(HKEY_CURRENT_USER, kFull, name, type, data), ERROR_SUCCESS);
}

std::vector<BYTE> Stored(const wchar_t* name, DWORD* type = nullptr) {
    std::vector<BYTE> data;
    regtest::Get(HKEY_CURRENT_USER, kFull, name, data, type);
    return data;
}

std::vector<BYTE> Le32(std::initializer_list<std::int64_t> fields) {
    std::vector<BYTE> out;
    for (auto f : fields) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<BYTE>(static_cast<std::uint32_t>(f) >> (8 * i)));
        }
    }
    return out;
}

// A list like the main window's: two records and three flags, with their defaults.
struct FrameSettings {
    CWindowPlacement placement{};
    SLocalTools::CSplitterItemInfo left{};
    bool statusBar = true;
    bool toolBar = true;
    bool showContainers = true;
    CSettings list;

    FrameSettings() {
        const std::wstring key = std::wstring(kBelowPrefix);
        list.Add(
            std::make_unique<CRawStruct<CWindowPlacement>>(key, L"WindowPlacement", &placement));
        list.Add(std::make_unique<CRawStruct<SLocalTools::CSplitterItemInfo>>(key, L"LeftPaneInfo",
                                                                              &left));
        list.Add(std::make_unique<CSettingBool>(key, L"StatusBarVisible", &statusBar));
        list.Add(std::make_unique<CSettingBool>(key, L"ToolBarVisible", &toolBar));
        list.Add(std::make_unique<CSettingBool>(key, L"ShowContainers", &showContainers));
    }
};

}  // namespace

VK_TEST_CHILD(load_frame_settings) {
    FrameSettings s;
    if (!s.list.LoadAll()) {
        return 2;
    }
    const bool ok = s.placement.length == 44 && s.placement.showCmd == 3 &&
                    s.placement.rcNormalPosition.left == -1200 &&
                    s.placement.rcNormalPosition.bottom == 700 && s.left.cxCur == 250 &&
                    s.left.cxMin == 20 && !s.statusBar && s.toolBar && !s.showContainers;
    return ok ? 0 : 3;
}

TEST(Settings, FlagsReadTrueOnlyForYInEitherCaseOrKeepTheMemberRecordsOnlyInTheirSize) {
    vktest::TempWorld world;
    bool member = true;
    CSettingBool flag(kFull, L"StatusBarVisible", &member);
    EXPECT_FALSE(flag.Load()) << "no key";
    Store(L"Other", REG_SZ, SzBytes(L"N"));
    EXPECT_FALSE(flag.Load()) << "no value";
    EXPECT_TRUE(member);
    // Read as true, false or keeping the member: bytes without a NUL, with a cut character,
    // none; texts, one ending at a NUL, 2048 bytes and more.
    using namespace std::string_literals;
    const std::wstring n2048 = L"N" + std::wstring(510, L' ');
    std::vector<std::vector<BYTE>> cases = {{'y', 0, 0, 0}, {'Y', 0, 0, 0, 'x'}, {}};
    for (const std::wstring& text :
         {L"Y"s, L"y"s, L"N"s, L"n"s, L"1"s, L""s, L"Yes"s, L"Y\0junk"s, n2048, n2048 + L" "}) {
        cases.push_back(SzBytes(text));
    }
    const std::string outcome = "TTFTTFFFFFTFK";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Store(L"StatusBarVisible", i % 2 == 0 ? REG_SZ : REG_BINARY, cases[i]);
        for (bool start : {false, true}) {
            member = start;
            EXPECT_EQ(flag.Load(), outcome[i] != 'K') << i;
            EXPECT_EQ(member, outcome[i] == 'K' ? start : outcome[i] == 'T') << i;
        }
    }

    // Records of any other size are refused; their type is not looked at.
    const auto placement44 = Le32({44, 2, 1, -1, -1, -32000, -32000, 10, 20, 810, 620});
    CWindowPlacement placement{};
    placement.length = 7;
    CRawStruct<CWindowPlacement> setting(kFull, L"WindowPlacement", &placement);
    for (std::size_t size : {0, 43, 45, 1000, 1025}) {
        std::vector<BYTE> stored = placement44;
        stored.resize(size, 0x11);
        Store(L"WindowPlacement", REG_BINARY, stored);
        EXPECT_FALSE(setting.Load()) << size << " bytes";
        EXPECT_EQ(placement.length, 7u) << size << " bytes";
    }
    Store(L"WindowPlacement", REG_SZ, placement44);
    ASSERT_TRUE(setting.Load());
    EXPECT_EQ(
        std::tuple(placement.length, placement.ptMaxPosition.y, placement.rcNormalPosition.bottom),
        std::tuple(44u, -32000, 620));
}

TEST(Settings, ListRefusesDuplicatesPrefixesSubkeysAndSavesPastAFailure) {
    vktest::TempWorld world;
    bool a = false;
    bool b = false;
    CSettings list;
    EXPECT_EQ(list.Prefix(), L"SOFTWARE\\");
    EXPECT_FALSE(list.Add(nullptr));
    // A setting that cannot be written comes first.
    ASSERT_TRUE(list.Add(std::make_unique<CSettingBool>(L"Bad\\\\Path", L"x", &a)));
    EXPECT_TRUE(list.Add(std::make_unique<CSettingBool>(kBelowPrefix, L"ToolBarVisible", &a)));
    EXPECT_FALSE(list.Add(std::make_unique<CSettingBool>(L"ORVEL\\velkora\\VKCERT\\settings",
                                                         L"toolbarvisible", &b)));
    EXPECT_TRUE(list.Add(std::make_unique<CSettingBool>(kBelowPrefix, L"StatusBarVisible", &b)));
    EXPECT_EQ(list.Count(), 3u);

    CSetting* found = list.Find(L"orvel\\velkora\\vkcert\\SETTINGS", L"TOOLBARVISIBLE", false);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Subkey() + L"|" + found->ValueName(),
              std::wstring(kFull) + L"|ToolBarVisible");
    EXPECT_EQ(list.Find(kFull, L"toolbarvisible", true), found);
    EXPECT_EQ(list.Find(kFull, L"toolbarvisible", false), nullptr) << "prefix given twice";
    EXPECT_EQ(list.Find(kBelowPrefix, L"ShowContainers", false), nullptr);

    // A setting without a value name stands for its whole key.
    EXPECT_TRUE(
        list.Add(std::make_unique<CSettingBool>(L"Orvel\\Velkora\\vkCert\\HelpSettings", L"", &a)));
    EXPECT_NE(list.Find(L"Orvel\\Velkora\\vkCert\\HelpSettings", L"left", false), nullptr);
    EXPECT_FALSE(list.Add(
        std::make_unique<CSettingBool>(L"orvel\\velkora\\vkcert\\helpsettings", L"iNavWidth", &a)));

    // The rest are still written.
    EXPECT_FALSE(list.SaveAll());
    EXPECT_EQ(Stored(L"ToolBarVisible"), SzBytes(L"N"));
}

TEST(Settings, FirstStartKeepsDefaultsAndSavedListLoadsInANewProcessDespiteOneFailure) {
    vktest::TempWorld world;
    {
        FrameSettings s;
        EXPECT_FALSE(s.list.LoadAll());
        EXPECT_TRUE(s.placement.length == 0 && s.left.cxCur == 0 && s.statusBar && s.toolBar &&
                    s.showContainers);

        s.placement = CWindowPlacement{44, 0, 3, {-1, -1}, {-8, -8}, {-1200, 5, 300, 700}};
        s.left = {250, 20};
        s.statusBar = false;
        s.showContainers = false;
        EXPECT_TRUE(s.list.SaveAll());
    }
    // Flags as "Y" or "N" with their NUL, records as their bytes.
    DWORD flagType = 0, recordType = 0;
    EXPECT_EQ(Stored(L"ShowContainers", &flagType), SzBytes(L"N"));
    EXPECT_EQ(Stored(L"ToolBarVisible"), SzBytes(L"Y"));
    EXPECT_EQ(Stored(L"WindowPlacement", &recordType),
              Le32({44, 0, 3, -1, -1, -8, -8, -1200, 5, 300, 700}));
    EXPECT_EQ(std::pair(flagType, recordType), std::pair(DWORD{REG_SZ}, DWORD{REG_BINARY}));
    EXPECT_EQ(vktest::ChildProcess("load_frame_settings").Wait(), 0);

    // The first setting of the list is now unreadable; the others still load.
    Store(L"WindowPlacement", REG_BINARY, std::vector<BYTE>(43, 0));
    FrameSettings s;
    EXPECT_FALSE(s.list.LoadAll());
    EXPECT_TRUE(s.left.cxCur == 250 && !s.showContainers);
}
