#include "gui/help/CHtmlHelperSetting.h"

#include <array>
#include <cstring>

namespace SHTMLHelper::SSaveState {

namespace {

bool ReadDword(HKEY key, const wchar_t* name, std::int32_t& value) {
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return false;
    }
    std::memcpy(&value, &data, sizeof value);
    return true;
}

bool WriteDword(HKEY key, const wchar_t* name, std::int32_t value) {
    DWORD data = 0;
    std::memcpy(&data, &value, sizeof data);
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

constexpr std::array<const wchar_t*, 4> kRectNames = {L"left", L"top", L"right", L"bottom"};
constexpr const wchar_t* kNavWidthName = L"iNavWidth";

}  // namespace

CHtmlHelperSetting::CHtmlHelperSetting(std::wstring subkey, CHelpWindowState* state, HKEY root)
    : CSetting(std::move(subkey), L"", root), m_state(state) {}

bool CHtmlHelperSetting::LoadValue(HKEY key) {
    if (m_state == nullptr) {
        return false;
    }
    std::array<std::int32_t, 4> rect{};
    bool rectRead = true;
    for (std::size_t i = 0; i < kRectNames.size() && rectRead; ++i) {
        rectRead = ReadDword(key, kRectNames[i], rect[i]);
    }
    if (rectRead) {
        m_state->left = rect[0];
        m_state->top = rect[1];
        m_state->right = rect[2];
        m_state->bottom = rect[3];
    }
    const bool widthRead = ReadDword(key, kNavWidthName, m_state->navWidth);
    return rectRead && widthRead;
}

bool CHtmlHelperSetting::SaveValue(HKEY key) {
    if (m_state == nullptr) {
        return false;
    }
    const std::array<std::int32_t, 4> rect = {m_state->left, m_state->top, m_state->right,
                                              m_state->bottom};
    for (std::size_t i = 0; i < kRectNames.size(); ++i) {
        if (!WriteDword(key, kRectNames[i], rect[i])) {
            return false;
        }
    }
    return WriteDword(key, kNavWidthName, m_state->navWidth);
}

}  // namespace SHTMLHelper::SSaveState
