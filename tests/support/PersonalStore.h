// The user's personal certificate store ("MY") of the current test world.
#pragma once

#include <vector>

#include "platform/WinTypes.h"

namespace vktest {

// Adds the certificate, replacing an equal one; fails the calling test when it cannot.
void AddToPersonalStore(const std::vector<BYTE>& der);

}  // namespace vktest
