// Descriptions of system error codes, as the platform's message texts give
// them: one sentence ending with a full stop, in English or Russian.
#pragma once

#include <string>

#include "platform/WinTypes.h"

inline constexpr WORD LANG_ID_RUSSIAN = 1049;

// The description of code in the language asked for: Russian for 1049 (and any
// other Russian language identifier), English for everything else. A code
// without a text gives "Unknown error 0x%08X." in that language.
std::wstring SystemErrorDescription(DWORD code, WORD languageId);

// Whether code has a text of its own in both languages.
bool HasSystemErrorDescription(DWORD code);
