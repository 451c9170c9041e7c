// Which provider the token operations use: its name and type. The certificate tree holds the
// program's one descriptor ("Orvel Velkora CSP v1.0", type 1).
#pragma once

#include <string>

#include "platform/WinTypes.h"
#include "platform/crypto/CryptApi.h"

namespace SVKCERT {

// The token's provider under its fixed name; the login state is always read from it.
inline constexpr const wchar_t* kVelkoraProviderName = L"Orvel Velkora CSP v1.0";

struct CProviderDescriptor {
    std::wstring name = kVelkoraProviderName;
    DWORD type = PROV_RSA_FULL;
};

}  // namespace SVKCERT
