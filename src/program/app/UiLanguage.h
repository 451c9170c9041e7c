// The interface language of the process: decided at start from the user's
// default language and the choice stored under "Software\Orvel\Language" in
// the machine hive ("NATIVE" or "ENGLISH"), switched at run time from the View
// menu. Window thread.
#pragma once

#include "program/app/LangIds.h"

// Decides the language at start and makes it current (storing it as
// SetUiLanguage does); answers it. Registry failures are silent.
LANGID InitUiLanguage();

LANGID GetUiLanguage();

// For command-line tools: decides the language as InitUiLanguage does and makes
// it current, but writes nothing to the registry and sends nothing; answers it.
LANGID LoadUiLanguage();

// Nothing when `lang` is current; otherwise stores the choice ("NATIVE" for
// 1049, "ENGLISH" for any other language), makes `lang` current and sends
// WM_LANGUAGE_CHANGED (SendLanguageChanged).
void SetUiLanguage(LANGID lang);

// 1049 when the current language is exactly 1024, else 1024.
void ToggleUiLanguage();

// The stored choice's key and words.
inline constexpr const wchar_t* kLanguageKey = L"Software\\Orvel\\Language";
inline constexpr const wchar_t* kLanguageNative = L"NATIVE";
inline constexpr const wchar_t* kLanguageEnglish = L"ENGLISH";
