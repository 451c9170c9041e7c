// The settings store over the real registry: how flags and records are read
// and written, which stored forms are refused, the list's duplicate rule and
// prefix, and that a saved list loads in a new process. The registry's own
// behaviour (files, locking, merging) is tested with the registry.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "program/core/settings/CRawStruct.h"
#include "program/core/settings/CSettingBool.h"
#include "program/core/settings/CSettings.h"
#include "program/core/settings/CSplitterItemInfo.h"
#include "program/core/settings/CWindowPlacement.h"
#include "platform/registry/UniqueHKey.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"

namespace {

const wchar_t* const kFull = L"SOFTWARE\\Orvel\\Velkora\\vkCert\\Settings";
const wchar_t* const kBelowPrefix = L"Orvel\\Velkora\\vkCert\\Settings";

void Store(const wchar_t* name, DWORD type, const std::vector<BYTE>& data) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kFull, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExW(key.Get(), name, 0, type, data.data(), static_cast<DWORD>(data.size())),
        ERROR_SUCCESS);
}

std::vector<BYTE> Stored(const wchar_t* name, DWORD* type = nullptr) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kFull, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<BYTE> data(4096);
    DWORD size = static_cast<DWORD>(data.size());
    if (RegQueryValueExW(key.Get(), name, nullptr, type, data.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    data.resize(size);
    return data;
}

std::vector<BYTE> Wide(const std::wstring& text, bool withNul) {
    std::vector<BYTE> out((text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t), 0);
    std::memcpy(out.data(), text.data(), text.size() * sizeof(wchar_t));
    return out;
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

// The frame's list, with its members and defaults.
struct FrameSettings {
    CWindowPlacement placement{};
    SLocalTools::CSplitterItemInfo left{};
    SLocalTools::CSplitterItemInfo right{};
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
        list.Add(std::make_unique<CRawStruct<SLocalTools::CSplitterItemInfo>>(key, L"RightPaneInfo",
                                                                              &right));
        list.Add(std::make_unique<CSettingBool>(key, L"StatusBarVisible", &statusBar));
        list.Add(std::make_unique<CSettingBool>(key, L"ToolBarVisible", &toolBar));
        list.Add(std::make_unique<CSettingBool>(key, L"ShowContainers", &showContainers));
    }
};

class CountedSetting : public CSettingBool {
public:
    CountedSetting(const wchar_t* key, const wchar_t* name, bool* member, int* alive)
        : CSettingBool(key, name, member), m_alive(alive) {
        ++*m_alive;
    }
    ~CountedSetting() override { --*m_alive; }

private:
    int* m_alive;
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
                    s.left.cxMin == 20 && s.right.cxCur == 400 && !s.statusBar && s.toolBar &&
                    !s.showContainers;
    return ok ? 0 : 3;
}

TEST(Settings, FlagsReadTrueOnlyForYInEitherCase) {
    vktest::TempWorld world;
    struct Case {
        std::vector<BYTE> stored;
        bool expected;
        const char* what;
    } cases[] = {
        {Wide(L"Y", true), true, "Y"},
        {Wide(L"y", true), true, "y"},
        {Wide(L"N", true), false, "N"},
        {Wide(L"n", true), false, "n"},
        {Wide(L"0", true), false, "0"},
        {Wide(L"1", true), false, "1"},
        {Wide(L"", true), false, "empty text"},
        {{}, false, "no bytes"},
        {Wide(L"Yes", true), false, "Yes"},
        {Wide(L"y", false), true, "y without NUL"},
        {Wide(std::wstring(L"Y\0junk", 6), true), true, "text ends at the first NUL"},
        {[] {
             auto b = Wide(L"Y", false);
             b.push_back('x');
             return b;
         }(),
         true, "cut character at the end"},
    };
    for (const auto& c : cases) {
        Store(L"StatusBarVisible", REG_SZ, c.stored);
        for (bool start : {false, true}) {
            bool member = start;
            CSettingBool setting(kFull, L"StatusBarVisible", &member);
            EXPECT_TRUE(setting.Load()) << c.what;
            EXPECT_EQ(member, c.expected) << c.what;
        }
    }
    // The type is not looked at: the bytes of the text decide.
    Store(L"StatusBarVisible", REG_BINARY, Wide(L"y", true));
    bool member = false;
    EXPECT_TRUE(CSettingBool(kFull, L"StatusBarVisible", &member).Load());
    EXPECT_TRUE(member);
}

TEST(Settings, FlagsThatCannotBeReadKeepTheMember) {
    vktest::TempWorld world;
    bool member = true;
    EXPECT_FALSE(CSettingBool(kFull, L"ToolBarVisible", &member).Load()) << "no key";
    Store(L"Other", REG_SZ, Wide(L"N", true));
    EXPECT_FALSE(CSettingBool(kFull, L"ToolBarVisible", &member).Load()) << "no value";
    EXPECT_TRUE(member);
    Store(L"ToolBarVisible", REG_SZ, Wide(L"N" + std::wstring(600, L' '), true));  // 2408 bytes
    EXPECT_FALSE(CSettingBool(kFull, L"ToolBarVisible", &member).Load()) << "over 2048 bytes";
    EXPECT_TRUE(member);
    Store(L"ToolBarVisible", REG_SZ, Wide(L"N" + std::wstring(510, L' '), true));  // 2048 bytes
    EXPECT_TRUE(CSettingBool(kFull, L"ToolBarVisible", &member).Load()) << "exactly 2048 bytes";
    EXPECT_FALSE(member);
}

TEST(Settings, FlagsAreWrittenAsYOrNWithTheirNul) {
    vktest::TempWorld world;
    bool member = true;
    CSettingBool setting(kFull, L"ShowContainers", &member);
    ASSERT_TRUE(setting.Save());
    DWORD type = 0;
    EXPECT_EQ(Stored(L"ShowContainers", &type), Wide(L"Y", true));
    EXPECT_EQ(type, REG_SZ);
    member = false;
    ASSERT_TRUE(setting.Save());
    EXPECT_EQ(Stored(L"ShowContainers"), (std::vector<BYTE>{'N', 0, 0, 0, 0, 0, 0, 0}));
}

TEST(Settings, RecordsOfAnyOtherSizeAreRefused) {
    vktest::TempWorld world;
    const auto placement44 = Le32({44, 2, 1, -1, -1, -32000, -32000, 10, 20, 810, 620});
    CWindowPlacement member{};
    member.length = 7;
    CRawStruct<CWindowPlacement> setting(kFull, L"WindowPlacement", &member);
    for (std::size_t size :
         {std::size_t{0}, std::size_t{43}, std::size_t{45}, std::size_t{1000}, std::size_t{1025}}) {
        std::vector<BYTE> stored = placement44;
        stored.resize(size, 0x11);
        Store(L"WindowPlacement", REG_BINARY, stored);
        EXPECT_FALSE(setting.Load()) << size << " bytes";
        EXPECT_EQ(member.length, 7u) << size << " bytes";
    }
    Store(L"WindowPlacement", REG_BINARY, placement44);
    ASSERT_TRUE(setting.Load());
    EXPECT_EQ(member.length, 44u);
    EXPECT_EQ(member.flags, 2u);
    EXPECT_EQ(member.showCmd, 1u);
    EXPECT_EQ(member.ptMinPosition.x, -1);
    EXPECT_EQ(member.ptMaxPosition.y, -32000);
    EXPECT_EQ(member.rcNormalPosition.left, 10);
    EXPECT_EQ(member.rcNormalPosition.top, 20);
    EXPECT_EQ(member.rcNormalPosition.right, 810);
    EXPECT_EQ(member.rcNormalPosition.bottom, 620);

    SLocalTools::CSplitterItemInfo pane{};
    CRawStruct<SLocalTools::CSplitterItemInfo> paneSetting(kFull, L"LeftPaneInfo", &pane);
    Store(L"LeftPaneInfo", REG_SZ, Le32({250, 20}));  // the type is not looked at
    ASSERT_TRUE(paneSetting.Load());
    EXPECT_EQ(pane.cxCur, 250);
    EXPECT_EQ(pane.cxMin, 20);
    Store(L"LeftPaneInfo", REG_BINARY, Le32({1, 2, 3}));
    EXPECT_FALSE(paneSetting.Load());
    EXPECT_EQ(pane.cxCur, 250);
}

TEST(Settings, RecordsAreWrittenAsTheirExactBytes) {
    vktest::TempWorld world;
    CWindowPlacement member{44, 0, 3, {-1, -1}, {-8, -8}, {-1200, 5, 300, 700}};
    ASSERT_TRUE(CRawStruct<CWindowPlacement>(kFull, L"WindowPlacement", &member).Save());
    DWORD type = 0;
    EXPECT_EQ(Stored(L"WindowPlacement", &type),
              Le32({44, 0, 3, -1, -1, -8, -8, -1200, 5, 300, 700}));
    EXPECT_EQ(type, REG_BINARY);
}

TEST(Settings, ListRefusesDuplicatesAndPrefixesSubkeys) {
    vktest::TempWorld world;
    // The counter outlives the list, whose settings count down as they go.
    int alive = 0;
    bool a = false;
    bool b = false;
    CSettings list;
    EXPECT_EQ(list.Prefix(), L"SOFTWARE\\");
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_TRUE(
        list.Add(std::make_unique<CountedSetting>(kBelowPrefix, L"ToolBarVisible", &a, &alive)));
    EXPECT_FALSE(list.Add(std::make_unique<CountedSetting>(L"ORVEL\\velkora\\VKCERT\\settings",
                                                           L"toolbarvisible", &b, &alive)));
    EXPECT_EQ(alive, 1) << "the refused setting is destroyed";
    EXPECT_TRUE(
        list.Add(std::make_unique<CountedSetting>(kBelowPrefix, L"StatusBarVisible", &b, &alive)));
    EXPECT_EQ(list.Count(), 2u);

    CSetting* found = list.Find(L"orvel\\velkora\\vkcert\\SETTINGS", L"TOOLBARVISIBLE", false);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Subkey(), kFull);
    EXPECT_EQ(found->ValueName(), L"ToolBarVisible");
    EXPECT_EQ(list.Find(kFull, L"toolbarvisible", true), found);
    EXPECT_EQ(list.Find(kFull, L"toolbarvisible", false), nullptr) << "prefix given twice";
    EXPECT_EQ(list.Find(kBelowPrefix, L"ShowContainers", false), nullptr);

    // A setting without a value name stands for its whole key.
    EXPECT_TRUE(list.Add(std::make_unique<CountedSetting>(L"Orvel\\Velkora\\vkCert\\HelpSettings",
                                                          L"", &a, &alive)));
    EXPECT_NE(list.Find(L"Orvel\\Velkora\\vkCert\\HelpSettings", L"left", false), nullptr);
    EXPECT_FALSE(list.Add(std::make_unique<CountedSetting>(L"orvel\\velkora\\vkcert\\helpsettings",
                                                           L"iNavWidth", &a, &alive)));
    EXPECT_EQ(alive, 3);
}

TEST(Settings, FirstStartKeepsDefaultsAndSavedListLoadsInANewProcess) {
    vktest::TempWorld world;
    {
        FrameSettings s;
        EXPECT_FALSE(s.list.LoadAll());
        EXPECT_EQ(s.placement.length, 0u);
        EXPECT_EQ(s.left.cxCur, 0);
        EXPECT_TRUE(s.statusBar && s.toolBar && s.showContainers);

        s.placement = CWindowPlacement{44, 0, 3, {-1, -1}, {-8, -8}, {-1200, 5, 300, 700}};
        s.left = {250, 20};
        s.right = {400, 30};
        s.statusBar = false;
        s.showContainers = false;
        EXPECT_TRUE(s.list.SaveAll());
    }
    vktest::ChildProcess child("load_frame_settings");
    EXPECT_EQ(child.Wait(), 0);
}

TEST(Settings, OneFailureDoesNotStopTheOthers) {
    vktest::TempWorld world;
    {
        FrameSettings s;
        s.left = {250, 20};
        s.toolBar = false;
        ASSERT_TRUE(s.list.SaveAll());
    }
    // The first setting of the list is now unreadable.
    Store(L"WindowPlacement", REG_BINARY, std::vector<BYTE>(43, 0));
    FrameSettings s;
    EXPECT_FALSE(s.list.LoadAll());
    EXPECT_EQ(s.left.cxCur, 250);
    EXPECT_FALSE(s.toolBar);

    // A setting that cannot be written comes first; the rest are still written.
    // The counter outlives the list, whose settings count down as they go.
    int alive = 0;
    bool flag = false;
    CSettings list;
    ASSERT_TRUE(list.Add(std::make_unique<CountedSetting>(L"Bad\\\\Path", L"x", &flag, &alive)));
    ASSERT_TRUE(
        list.Add(std::make_unique<CountedSetting>(kBelowPrefix, L"Written", &flag, &alive)));
    EXPECT_FALSE(list.SaveAll());
    EXPECT_EQ(Stored(L"Written"), Wide(L"N", true));
}
