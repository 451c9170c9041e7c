// Posts a broadcast message to the programs of the user's session over the D-Bus session bus, as
// the window's own broadcast does, without Qt.
#pragma once

#include <cstdint>
#include <string>

namespace vkcli {

// Posts the registered message `name` (as this program's number for it, `number`) with its
// parameters; false when there is no session bus to carry it or it could not be sent, which
// leaves nobody to tell and is no error of the caller.
bool PostSessionBroadcast(const std::string& name, std::uint32_t number, std::uint64_t wParam,
                          std::int64_t lParam);

}  // namespace vkcli
