// String table ids the tree nodes and their enumeration feedback load.
#pragma once

#include "platform/WinTypes.h"

namespace STreeItemInfo {

inline constexpr UINT kStrReadingTokenContainers = 160;
inline constexpr UINT kStrReadingContainerCertificates = 161;
inline constexpr UINT kStrReadingTokenInformation = 167;
inline constexpr UINT kStrUpdatingTokenList = 168;
inline constexpr UINT kStrLoadingKeyInformation = 179;
inline constexpr UINT kStrImportDialogTitle = 183;
inline constexpr UINT kStrFilterCertificate = 192;
inline constexpr UINT kStrFilterPfx = 194;
inline constexpr UINT kStrFilterCertificateOrPfx = 204;

}  // namespace STreeItemInfo
