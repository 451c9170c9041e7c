// Letter-case folding for names that the platform compares without regard to
// case (registry keys and values, settings). Locale-independent: covers Latin,
// Greek and Cyrillic letters; other characters compare as they are.
#pragma once

#include <string>
#include <string_view>

wchar_t FoldCase(wchar_t c);
std::wstring FoldCase(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
