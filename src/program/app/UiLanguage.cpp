#include "program/app/UiLanguage.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "platform/registry/Registry.h"
#include "program/app/LanguageChangeListeners.h"
#include "program/app/UserDefaultLanguage.h"

namespace {

std::atomic<LANGID> g_current{LANG_NEUTRAL_DEFAULT_ID};

// The stored value is read into a buffer of this many bytes.
constexpr DWORD kValueBufferBytes = 50;

class CKey {
public:
    CKey() = default;
    ~CKey() { Close(); }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;

    PHKEY Out() { return &m_key; }
    HKEY Get() const { return m_key; }
    void Close() {
        if (m_key) {
            RegCloseKey(m_key);
            m_key = nullptr;
        }
    }

private:
    HKEY m_key = nullptr;
};

void WriteChoice(HKEY key, std::wstring_view text) {
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), bytes);
}

void StoreUiLanguage(LANGID lang) {
    CKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLanguageKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.Out(), nullptr) == ERROR_SUCCESS) {
        WriteChoice(key.Get(), lang == LANG_RUSSIAN_ID ? kLanguageNative : kLanguageEnglish);
    }
}

// True when the data are the REG_SZ text "ENGLISH" (the terminating zero may be missing).
bool IsEnglishChoice(DWORD type, const BYTE* data, DWORD size) {
    if (type != REG_SZ) {
        return false;
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    text.resize(std::min(text.find(L'\0'), text.size()));
    return text == kLanguageEnglish;
}

}  // namespace

LANGID InitUiLanguage() {
    LANGID lang = GetUserDefaultUILanguage();
    CKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLanguageKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ, nullptr, key.Out(), nullptr) == ERROR_SUCCESS) {
        BYTE buffer[kValueBufferBytes] = {};
        DWORD size = sizeof buffer;
        DWORD type = REG_NONE;
        if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, buffer, &size) == ERROR_SUCCESS) {
            if (IsEnglishChoice(type, buffer, size)) {
                lang = LANG_NEUTRAL_DEFAULT_ID;
            }
        } else {
            key.Close();
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLanguageKey, 0, KEY_WRITE, key.Out()) ==
                ERROR_SUCCESS) {
                WriteChoice(key.Get(), kLanguageNative);
            }
        }
    }
    key.Close();
    StoreUiLanguage(lang);
    g_current = lang;
    return lang;
}

LANGID LoadUiLanguage() {
    LANGID lang = GetUserDefaultUILanguage();
    CKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLanguageKey, 0, KEY_READ, key.Out()) == ERROR_SUCCESS) {
        BYTE buffer[kValueBufferBytes] = {};
        DWORD size = sizeof buffer;
        DWORD type = REG_NONE;
        if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, buffer, &size) == ERROR_SUCCESS &&
            IsEnglishChoice(type, buffer, size)) {
            lang = LANG_NEUTRAL_DEFAULT_ID;
        }
    }
    g_current = lang;
    return lang;
}

LANGID GetUiLanguage() {
    return g_current;
}

void SetUiLanguage(LANGID lang) {
    if (lang == g_current) {
        return;
    }
    StoreUiLanguage(lang);
    g_current = lang;
    SendLanguageChanged();
}

void ToggleUiLanguage() {
    SetUiLanguage(g_current == LANG_NEUTRAL_DEFAULT_ID ? LANG_RUSSIAN_ID : LANG_NEUTRAL_DEFAULT_ID);
}
