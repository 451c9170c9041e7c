// Conversions between wide text and UTF-8, the narrow text of this platform.
#pragma once

#include <string>
#include <string_view>

// Well-formed UTF-8: no stray or missing continuation bytes, overlong forms,
// surrogates or code points past U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
std::wstring Utf8ToWide(std::string_view text);
// Code points that cannot be encoded (lone surrogates) become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// Appends one code point as UTF-8 to any string of char (U+FFFD for what
// UTF-8 cannot carry), so that secrets can be encoded straight into storage
// that is wiped.
template <class String>
void AppendUtf8(String& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        cp = 0xFFFD;
    }
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
