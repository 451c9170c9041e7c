// Language identifiers, resource types and the language message of the
// interface language machinery.
#pragma once

#include "platform/WinTypes.h"

using LANGID = WORD;

// The neutral default language: the English resources.
inline constexpr LANGID LANG_NEUTRAL_DEFAULT_ID = 1024;
inline constexpr LANGID LANG_RUSSIAN_ID = 1049;
inline constexpr LANGID LANG_ENGLISH_US_ID = 1033;

constexpr LANGID MakeLangId(WORD primary, WORD sub) {
    return static_cast<LANGID>((sub << 10) | primary);
}
constexpr WORD PrimaryLangId(LANGID lang) {
    return lang & 0x3FF;
}

// Predefined resource types.
inline constexpr WORD RT_CURSOR = 1;
inline constexpr WORD RT_BITMAP = 2;
inline constexpr WORD RT_ICON = 3;
inline constexpr WORD RT_MENU = 4;
inline constexpr WORD RT_DIALOG = 5;
inline constexpr WORD RT_STRING = 6;
inline constexpr WORD RT_ACCELERATOR = 9;
inline constexpr WORD RT_RCDATA = 10;
inline constexpr WORD RT_GROUP_ICON = 14;
inline constexpr WORD RT_VERSION = 16;

// Sent to every top-level window of the process after the interface language
// changed; both parameters 0.
inline constexpr UINT WM_LANGUAGE_CHANGED = 0x9000;
