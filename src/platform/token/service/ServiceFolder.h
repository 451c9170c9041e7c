// Where the user's token service listens: $XDG_RUNTIME_DIR/vkcert, or, with no
// runtime folder, /tmp/vkcert-UID. The folder must be the user's own with no
// access for others; one that is not (possible under /tmp) is refused, never
// trusted or changed.
#pragma once

#include <filesystem>

namespace vkstore::service {

std::filesystem::path DefaultServiceFolder();

// Makes the folder when it is missing and checks it: a real folder (no link)
// of this user, mode 0700. StoreError(NoService) naming it otherwise.
void OpenServiceFolder(const std::filesystem::path& folder);

inline std::filesystem::path SocketPath(const std::filesystem::path& folder) {
    return folder / "tokend.socket";
}
inline std::filesystem::path LockPath(const std::filesystem::path& folder) {
    return folder / "tokend.lock";
}

}  // namespace vkstore::service
