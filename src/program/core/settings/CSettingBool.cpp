#include "program/core/settings/CSettingBool.h"

#include <array>
#include <cstring>
#include <string>

CSettingBool::CSettingBool(std::wstring subkey, std::wstring valueName, bool* member, HKEY root)
    : CSetting(std::move(subkey), std::move(valueName), root), m_member(member) {}

bool CSettingBool::LoadValue(HKEY key) {
    if (!m_member) {
        return false;
    }
    std::array<BYTE, kBufferSize> buffer{};
    DWORD size = kBufferSize;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, ValueName().c_str(), nullptr, &type, buffer.data(), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    // Whole characters only; bytes of a cut character at the end are ignored.
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), buffer.data(), text.size() * sizeof(wchar_t));
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    *m_member = text == L"Y" || text == L"y";
    return true;
}

bool CSettingBool::SaveValue(HKEY key) {
    if (!m_member) {
        return false;
    }
    const wchar_t text[] = {*m_member ? L'Y' : L'N', L'\0'};
    return RegSetValueExW(key, ValueName().c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          sizeof text) == ERROR_SUCCESS;
}
