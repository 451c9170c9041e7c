// Names exchanged with the token's provider: full container names and the narrow form of
// reader and container names (UTF-8 plays the part of the ANSI code page).
#pragma once

#include <string>
#include <string_view>

namespace SVKCERT {

// "\\.\" + reader + "\" + container; an empty container names the reader's default container.
std::wstring FullContainerName(std::wstring_view reader, std::wstring_view container);

// The narrow, NUL-terminated form that provider parameter 0x10007 takes.
std::string NarrowName(std::wstring_view name);

// A narrow name from the provider, widened.
std::wstring WideName(const char* narrow);

// Key specification 1 is "Exchange", every other value "Signature".
const wchar_t* KeySpecName(unsigned long keySpec);

}  // namespace SVKCERT
