// Icon resource ids of the tree nodes.
#pragma once

namespace STreeItemInfo {

inline constexpr int kImageContainer = 163;
inline constexpr int kImageToken = 164;
inline constexpr int kImageKeyWithCertificate = 165;
inline constexpr int kImageKeyWithoutCertificate = 208;
inline constexpr int kImageKeyRegistered = 224;

}  // namespace STreeItemInfo
