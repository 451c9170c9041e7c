// Login and logout of a token's user at the token's provider, as the window's Login and Logout
// and vkcert-cli's login and logout make them. The login state itself is ReadLoginState's
// (LoginState.h), the tries left vkstore::PinTriesLeft's (TokenStore.h).
#pragma once

#include <string>

#include "platform/WinTypes.h"

namespace SVKCERT {

// Hands the NUL-terminated PIN to the provider for the token in the reader. ERROR_SUCCESS, or the
// provider's error: SCARD_W_WRONG_CHV, SCARD_W_CHV_BLOCKED (also for a wrong PIN that spent the
// last try), SCARD_E_UNKNOWN_READER, SCARD_E_NO_SMARTCARD, a store failure...
DWORD LoginAtProvider(const std::wstring& reader, const char* pin);

// Logs the token's user out; ERROR_SUCCESS also when nobody was logged in.
DWORD LogoutAtProvider(const std::wstring& reader);

}  // namespace SVKCERT
