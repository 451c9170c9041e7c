// The system's description of an error code, in the interface language, for messages that say
// "Error description".
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace SVKCERT {

std::wstring ErrorDescription(DWORD code);

}  // namespace SVKCERT
