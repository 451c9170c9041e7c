// The interface language: the decision at start from the user's default
// language and the stored choice, the toggle, SetUiLanguage's store and
// notification, and the listeners. Each test has a registry of its own.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "LangTestSupport.h"
#include "platform/registry/Registry.h"
#include "program/app/LanguageChangeListeners.h"
#include "program/app/UiLanguage.h"
#include "support/TempWorld.h"

namespace {

// The stored texts with their terminating zero.
const std::wstring kEnglishZ(L"ENGLISH\0", 8);
const std::wstring kNativeZ(L"NATIVE\0", 7);

struct Stored {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    std::wstring Text() const {
        std::wstring t(bytes.size() / sizeof(wchar_t), L'\0');
        std::memcpy(t.data(), bytes.data(), t.size() * sizeof(wchar_t));
        return t;
    }
};

// The default value of the language key, read with the registry calls; nothing
// when the key or the value is missing.
std::optional<Stored> ReadChoice() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvel\\Language", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    Stored s;
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, nullptr, nullptr, &s.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        s.bytes.resize(size);
        rc = RegQueryValueExW(key, nullptr, nullptr, &s.type, s.bytes.data(), &size);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::optional<Stored>(s) : std::nullopt;
}

std::wstring ChoiceText() {
    auto s = ReadChoice();
    return s ? s->Text() : L"<missing>";
}

void WriteChoice(DWORD type, const std::wstring& text, bool withZero = true) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvel\\Language", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD bytes = static_cast<DWORD>((text.size() + (withZero ? 1 : 0)) * sizeof(wchar_t));
    ASSERT_EQ(
        RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

void DeleteChoice() {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Orvel\\Language", 0, KEY_WRITE, &key),
              ERROR_SUCCESS);
    RegDeleteValueW(key, nullptr);
    RegCloseKey(key);
}

class UiLanguageTest : public testing::Test {
protected:
    vktest::TempWorld world;
    int changes = 0;
    CLanguageChangeSubscription counter{[this] { ++changes; }};
};

}  // namespace

TEST_F(UiLanguageTest, StoredEnglishGivesNeutralWhateverTheUserDefault) {
    langtest::Locale locale("ru_RU.UTF-8");
    WriteChoice(REG_SZ, L"ENGLISH");
    EXPECT_EQ(InitUiLanguage(), 1024);
    EXPECT_EQ(GetUiLanguage(), 1024);
    EXPECT_EQ(ChoiceText(), kEnglishZ);
    EXPECT_EQ(changes, 0);  // the start notifies nobody
}

TEST_F(UiLanguageTest, OtherSpellingsFollowTheUserDefault) {
    langtest::Locale locale("ru_RU.UTF-8");
    for (const wchar_t* text : {L"english", L"ENGLISH ", L"NATIVE", L"", L"Russian"}) {
        WriteChoice(REG_SZ, text);
        EXPECT_EQ(InitUiLanguage(), 1049) << "stored: " << std::string(text, text + wcslen(text));
        EXPECT_EQ(ChoiceText(), kNativeZ);
    }
    // "ENGLISH" of another type is not the choice either.
    WriteChoice(REG_BINARY, L"ENGLISH");
    EXPECT_EQ(InitUiLanguage(), 1049);
    // Without its terminating zero it still is.
    WriteChoice(REG_SZ, L"ENGLISH", false);
    EXPECT_EQ(InitUiLanguage(), 1024);
}

TEST_F(UiLanguageTest, MissingValueIsStoredAsEnglishUnlessRussian) {
    {
        langtest::Locale locale("en_GB.UTF-8");
        ASSERT_FALSE(ReadChoice());
        EXPECT_EQ(InitUiLanguage(), 2057);
        const auto stored = ReadChoice();
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->type, REG_SZ);
        // The text with its terminating zero, in the platform's wide characters.
        EXPECT_EQ(stored->bytes.size(), 8 * sizeof(wchar_t));
        EXPECT_EQ(stored->Text(), kEnglishZ);
    }
    DeleteChoice();
    {
        langtest::Locale locale("ru_RU.UTF-8");
        EXPECT_EQ(InitUiLanguage(), 1049);
        EXPECT_EQ(ChoiceText(), kNativeZ);
    }
}

TEST_F(UiLanguageTest, ValueLongerThanTheBufferCountsAsMissing) {
    langtest::Locale locale("ru_RU.UTF-8");
    WriteChoice(REG_SZ, L"ENGLISH ENGLISH ENGLISH");
    EXPECT_EQ(InitUiLanguage(), 1049);
    EXPECT_EQ(ChoiceText(), kNativeZ);
}

TEST_F(UiLanguageTest, RussianUserToggleStoresEnglishAndTheNextStartIsEnglish) {
    langtest::Locale locale("ru_RU.UTF-8");
    WriteChoice(REG_SZ, L"NATIVE");
    ASSERT_EQ(InitUiLanguage(), 1049);
    ToggleUiLanguage();
    EXPECT_EQ(GetUiLanguage(), 1024);
    EXPECT_EQ(ChoiceText(), kEnglishZ);
    EXPECT_EQ(changes, 1);
    // The next start.
    EXPECT_EQ(InitUiLanguage(), 1024);
    ToggleUiLanguage();
    EXPECT_EQ(GetUiLanguage(), 1049);
    EXPECT_EQ(ChoiceText(), kNativeZ);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(InitUiLanguage(), 1049);
}

TEST_F(UiLanguageTest, StartOnUsEnglishNeedsTwoTogglesToReachRussian) {
    langtest::Locale locale(nullptr, nullptr, "en_US.UTF-8");
    ASSERT_EQ(InitUiLanguage(), 1033);
    ToggleUiLanguage();
    EXPECT_EQ(GetUiLanguage(), 1024);
    EXPECT_EQ(changes, 1);
    ToggleUiLanguage();
    EXPECT_EQ(GetUiLanguage(), 1049);
    EXPECT_EQ(changes, 2);
    ToggleUiLanguage();
    EXPECT_EQ(GetUiLanguage(), 1024);
}

TEST_F(UiLanguageTest, SettingTheCurrentLanguageWritesAndSendsNothing) {
    langtest::Locale locale("ru_RU.UTF-8");
    ASSERT_EQ(InitUiLanguage(), 1049);
    DeleteChoice();
    SetUiLanguage(1049);
    EXPECT_FALSE(ReadChoice());
    EXPECT_EQ(changes, 0);
    // A different language writes and sends once.
    SetUiLanguage(1033);
    EXPECT_EQ(ChoiceText(), kEnglishZ);
    EXPECT_EQ(changes, 1);
    SetUiLanguage(1033);
    EXPECT_EQ(changes, 1);
}

TEST_F(UiLanguageTest, TheChoiceSurvivesInAnotherProcessView) {
    // The hive on disk is what the next start reads: a fresh read of the file
    // sees the toggle at once.
    langtest::Locale locale("ru_RU.UTF-8");
    InitUiLanguage();
    ToggleUiLanguage();
    const auto hive = world.ConfigHome() / "vkcert" / "HKEY_LOCAL_MACHINE.reg";
    ASSERT_TRUE(std::filesystem::exists(hive));
    std::ifstream in(hive);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Language"), std::string::npos);
    EXPECT_NE(text.find("ENGLISH"), std::string::npos);
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
