// What the token middleware tells of the token in a reader, as the program shows it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

struct STokenRecord {
    bool present = false;   // the reader holds a token; else the rest stays empty
    std::wstring header;    // left empty by the reading; the token view fills it
    std::wstring label;     // "<Unnamed>" is the tree's business
    std::wstring typeText;  // model name and total memory: "Velkora Pro 64K"
    BYTE tokenType = 0;     // 0 Velkora / Velkora Mini, 1 Velkora Pro
    DWORD tokenId = 0;      // shown as "%08X"
    BYTE versionMajor = 0;  // shown with the minor as "%d.%d"
    BYTE versionMinor = 0;
    BYTE protocolNumber = 0;
    BYTE microprogramNumber = 0;
    DWORD freeMemory = 0;      // bytes
    BYTE pinChangePolicy = 0;  // 0 user and administrator, 1 administrator, 2 user
    std::wstring policyText;   // left empty here; the token view fills it
};

// The model name of a token: type 0 is IDS_MODEL_MINI "Velkora Mini" from version 2 on and
// IDS_PRODUCT_WORD "Velkora" before, both from the English table; type 1 is "Velkora Pro"; others
// have none.
std::wstring TokenModelName(BYTE tokenType, BYTE versionMajor);

// "%s %uK": the model name and the total memory in whole kilobytes.
std::wstring TokenTypeText(const std::wstring& modelName, DWORD memorySize);

// The token ID kept in the first four bytes of the middleware's buffer, little-endian; 0 when
// the buffer is shorter.
DWORD TokenIdFromBuffer(const BYTE* data, std::size_t size);

// Reads the record of the token in the reader through the middleware. What a failing call did
// not deliver stays zero or empty; a reader without a token gives a record that is not present.
STokenRecord ReadTokenRecord(const std::wstring& readerName);
