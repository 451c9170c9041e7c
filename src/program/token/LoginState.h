// The login state of the token in a reader, read from the token's provider.
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace SVKCERT {

inline constexpr DWORD kLoginNotRead = 0;
inline constexpr DWORD kLoginGuest = 1;
inline constexpr DWORD kLoginUser = 2;
inline constexpr DWORD kLoginAdmin = 3;

// kLoginUser while a user is logged in, else kLoginGuest; kLoginNotRead when the provider gives
// no context or the reader cannot be selected (it holds no token). Always asks
// "Orvel Velkora CSP v1.0", whatever the tree's descriptor says.
DWORD ReadLoginState(const std::wstring& reader);

}  // namespace SVKCERT
