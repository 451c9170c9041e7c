// The texts of the status bar's token panes for the selected node's token.
#pragma once

#include <string>

class CTokenInfo;

struct SStatusPaneTexts {
    std::wstring access;     // "Access rights: <role>"
    std::wstring tokenId;    // the ID in eight hexadecimal digits
    std::wstring freeBytes;  // free memory in bytes
};

// In the interface language; all empty without a token or for an empty reader.
SStatusPaneTexts TokenStatusPaneTexts(CTokenInfo* token);
