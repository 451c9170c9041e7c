// Command ids the tree nodes handle or show in their context menus.
#pragma once

#include "platform/WinTypes.h"

namespace STreeItemInfo {

inline constexpr UINT kCmdExportCertificate = 190;
inline constexpr UINT kCmdImportCertificate = 205;
inline constexpr UINT kCmdLogin = 214;
inline constexpr UINT kCmdLogout = 215;
inline constexpr UINT kCmdAddToStore = 32775;
inline constexpr UINT kCmdRemoveFromStore = 32779;
inline constexpr UINT kCmdDeleteContainer = 32785;
inline constexpr UINT kCmdSetDefaultContainer = 32794;
inline constexpr UINT kCmdRemoveDefaultContainer = 32796;

// Context menu resources.
inline constexpr UINT kMenuKey = 189;
inline constexpr UINT kMenuContainer = 229;
inline constexpr UINT kMenuToken = 231;

}  // namespace STreeItemInfo
