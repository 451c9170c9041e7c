// The interface language: the start's decision, the toggle, SetUiLanguage's store and notice, the
// listeners; a registry per test. Locale names are UserDefaultLanguageTest's.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "LangTestSupport.h"
#include "platform/registry/RegTestUtil.h"
#include "program/app/LanguageChangeListeners.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"

namespace {

// The stored texts with their terminating zero.
const std::wstring kEnglishZ(L"ENGLISH\0", 8);
const std::wstring kNativeZ(L"NATIVE\0", 7);

// The default value of the language key as type and text; nothing when it is missing.
std::optional<std::pair<DWORD, std::wstring>> ReadChoice() {
    std::vector<BYTE> data;
    DWORD type = REG_NONE;
    if (regtest::Get(HKEY_LOCAL_MACHINE, kLanguageKey, nullptr, data, &type) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::pair{type, std::wstring(reinterpret_cast<const wchar_t*>(data.data()),
                                        data.size() / sizeof(wchar_t))};
}

// Writes the choice; a null text deletes it.
void WriteChoice(DWORD type, const wchar_t* text, bool withZero = true) {
    if (text == nullptr) {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kLanguageKey);
        return;
    }
    std::vector<BYTE> bytes = regtest::SzBytes(text);
    bytes.resize(bytes.size() - (withZero ? 0 : sizeof(wchar_t)));
    ASSERT_EQ(regtest::Set(HKEY_LOCAL_MACHINE, kLanguageKey, nullptr, type, bytes), ERROR_SUCCESS);
}

}  // namespace

TEST(UiLanguageTest, TheStartDecidesFromTheStoredChoiceTogglesStoreIt) {
    vktest::TempWorld world;
    int changes = 0;
    const CLanguageChangeSubscription counter([&] { ++changes; });
    // Locale, type and text stored (null: none), with its zero, the language, the text then stored.
    const std::tuple<const char*, DWORD, const wchar_t*, bool, LANGID, std::wstring> cases[] = {
        // Only "ENGLISH" itself, as text, gives English whatever the user default.
        {"ru_RU.UTF-8", REG_SZ, L"ENGLISH", true, 1024, kEnglishZ},
        {"ru_RU.UTF-8", REG_SZ, L"ENGLISH", false, 1024, kEnglishZ},
        {"ru_RU.UTF-8", REG_SZ, L"english", true, 1049, kNativeZ},
        {"ru_RU.UTF-8", REG_SZ, L"ENGLISH ", true, 1049, kNativeZ},
        {"ru_RU.UTF-8", REG_SZ, L"NATIVE", true, 1049, kNativeZ},
        {"ru_RU.UTF-8", REG_SZ, L"", true, 1049, kNativeZ},
        {"ru_RU.UTF-8", REG_BINARY, L"ENGLISH", true, 1049, kNativeZ},
        // Longer than the buffer: as if missing.
        {"ru_RU.UTF-8", REG_SZ, L"ENGLISH ENGLISH ENGLISH", true, 1049, kNativeZ},
        // Missing: stored as English unless the user is Russian.
        {"ru_RU.UTF-8", REG_SZ, nullptr, true, 1049, kNativeZ},
        {"en_GB.UTF-8", REG_SZ, nullptr, true, 2057, kEnglishZ},
    };
    for (const auto& [name, type, text, withZero, lang, after] : cases) {
        SCOPED_TRACE(testing::Message() << name << " " << (text ? text : L"<none>") << withZero);
        langtest::Locale locale(name);
        WriteChoice(type, text, withZero);
        EXPECT_EQ(InitUiLanguage(), lang);
        EXPECT_EQ(ReadChoice(), std::pair(DWORD{REG_SZ}, after));
    }
    EXPECT_EQ(changes, 0) << "the start notifies nobody";

    // A US English start needs two toggles to reach Russian.
    langtest::Locale locale(nullptr, nullptr, "en_US.UTF-8");
    WriteChoice(REG_SZ, nullptr);
    ASSERT_EQ(InitUiLanguage(), 1033);
    for (LANGID next : {1024, 1049, 1024}) {
        ToggleUiLanguage();
        EXPECT_EQ(GetUiLanguage(), next);
        EXPECT_EQ(ReadChoice(), std::pair(DWORD{REG_SZ}, next == 1049 ? kNativeZ : kEnglishZ));
    }
    EXPECT_EQ(changes, 3);
    // Setting the current language writes and sends nothing; another one writes and sends once.
    WriteChoice(REG_SZ, nullptr);
    SetUiLanguage(1024);
    EXPECT_FALSE(ReadChoice());
    SetUiLanguage(1049);
    EXPECT_EQ(ReadChoice(), std::pair(DWORD{REG_SZ}, kNativeZ));
    SetUiLanguage(1049);
    EXPECT_EQ(changes, 3 + 1);
}

TEST(LanguageChangeListeners, OrderRemovalAndRemovalDuringDelivery) {
    std::vector<int> calls;
    std::optional<CLanguageChangeSubscription> second;
    CLanguageChangeSubscription first([&] {
        calls.push_back(1);
        second.reset();  // the second must not run in this delivery
    });
    second.emplace([&] { calls.push_back(2); });
    CLanguageChangeSubscription third([&] { calls.push_back(3); });
    SendLanguageChanged();
    EXPECT_EQ(calls, (std::vector<int>{1, 3}));

    calls.clear();
    {
        CLanguageChangeSubscription moved = std::move(third);
        SendLanguageChanged();
    }
    EXPECT_EQ(calls, (std::vector<int>{1, 3}));
    calls.clear();
    SendLanguageChanged();
    EXPECT_EQ(calls, (std::vector<int>{1}));
}
