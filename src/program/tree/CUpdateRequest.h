// What OnUpdate of a tree node is asked to do.
#pragma once

#include "platform/WinTypes.h"

namespace STreeItemInfo {

// The node was selected: show its properties in the right pane.
inline constexpr DWORD kUpdateSelected = 1;
// The selected node's data may have changed (login, logout, a synchronised level).
inline constexpr DWORD kUpdateDataChanged = 3;

struct CUpdateRequest {
    DWORD code = 0;
};

}  // namespace STreeItemInfo
