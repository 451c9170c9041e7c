#include "program/token/LoginState.h"

#include "platform/crypto/CryptApi.h"
#include "program/token/CProvContextRef.h"
#include "program/token/CProviderDescriptor.h"
#include "program/token/ContainerNames.h"

namespace SVKCERT {

DWORD ReadLoginState(const std::wstring& reader) {
    HCRYPTPROV handle = 0;
    if (!CryptAcquireContextW(&handle, nullptr, kVelkoraProviderName, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT)) {
        return kLoginNotRead;
    }
    const SCONTEXTCACHE::CProvContextRef context = SCONTEXTCACHE::CProvContextRef::Adopt(handle);
    const std::string narrowReader = NarrowName(reader);
    if (!CryptSetProvParam(handle, 0x10007, reinterpret_cast<const BYTE*>(narrowReader.c_str()),
                           0)) {
        return kLoginNotRead;  // no token in the reader
    }
    DWORD state = 0;
    DWORD length = sizeof state;
    CryptGetProvParam(handle, 0x1000A, reinterpret_cast<BYTE*>(&state), &length, 0);
    return state != 0 ? kLoginUser : kLoginGuest;
}

}  // namespace SVKCERT
