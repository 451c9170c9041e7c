// The text form of a hive, in the syntax of registry export files:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\SOFTWARE\Orvel\Language]
//   @="NATIVE"
//   "Count"=dword:0000000a
//   "Blob"=hex:2c,00,00,00
//   "Odd"=hex(1):59,00,00
//
// UTF-8, lines ending in LF (CR LF is read too). A quoted text is a REG_SZ whose
// bytes are the wchar_t characters and a terminating NUL; inside quotes a
// backslash escapes a backslash or a quote. Every other value, and every REG_SZ
// whose bytes a quoted text could not give back exactly, is written as
// hex(type): bytes, so that every value round-trips its exact bytes. Long hex
// lists continue on the next line after ",\".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry/HiveKey.h"

inline constexpr std::string_view kHiveHeader = "Windows Registry Editor Version 5.00";

struct HiveParseResult {
    HiveKey root;
    // Something could not be read: a missing header, a line that is not a
    // section, a value or a comment, a section of another hive, a bad name.
    bool damaged = false;
    std::size_t badLines = 0;
};

// Reads whatever parses; lines that do not parse are skipped and counted.
// Never fails. hiveName is the first name of every section ("HKEY_CURRENT_USER").
HiveParseResult ParseHive(std::string_view text, std::wstring_view hiveName);

// Writes the hive so that ParseHive gives back the same tree. The root's own
// section is written only when it holds values; every other key gets one.
std::string SerializeHive(const HiveKey& root, std::wstring_view hiveName);
