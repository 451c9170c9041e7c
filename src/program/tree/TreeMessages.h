// The observer messages of the tree, sent on the window thread through the frame's message hub.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace STreeItemInfo {

class ITreeItemInfo;

// Codes: 1 start, 2 end of a node's child enumeration.
struct CItemChildsEnumingMsg {
    DWORD code = 0;
    ITreeItemInfo* node = nullptr;
};

// Codes 1/2 deleting, 3/4 setting the default mark, 5/6 removing it (start/end).
struct CContainerItemInfoMsg {
    ITreeItemInfo* node = nullptr;
    DWORD code = 0;
};

// Codes: 1 start, 2 end of reading a key's information.
struct CKeyMsg {
    ITreeItemInfo* node = nullptr;
    DWORD code = 0;
};

// A token's subtree must be rebuilt (after an import into it).
struct CTokenLevelUpdateNeededMsg {
    std::wstring readerName;
};

}  // namespace STreeItemInfo

namespace SFrameFacade::MESSAGES {

struct CItemInTheTreeSelectedMsg {
    STreeItemInfo::ITreeItemInfo* node = nullptr;
    bool selected = false;
};

}  // namespace SFrameFacade::MESSAGES
