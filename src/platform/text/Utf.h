// Conversions between wide text and UTF-8, the narrow text of this platform.
#pragma once

#include <string>
#include <string_view>

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
std::wstring Utf8ToWide(std::string_view text);
// Code points that cannot be encoded (lone surrogates) become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
