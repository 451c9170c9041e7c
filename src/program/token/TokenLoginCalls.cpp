#include "program/token/TokenLoginCalls.h"

#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "program/token/CProvContextRef.h"
#include "program/token/CProviderDescriptor.h"
#include "program/token/ContainerNames.h"

namespace SVKCERT {
namespace {

// The provider parameter that selects the reader a verify context works on.
constexpr DWORD kSelectReader = 0x10007;

// Sets the PIN parameter (null: logs out) on a verify context of the reader.
DWORD SetPinParam(const std::wstring& reader, const BYTE* pin) {
    HCRYPTPROV handle = 0;
    if (!CryptAcquireContextW(&handle, nullptr, kVelkoraProviderName, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT)) {
        return GetLastError();
    }
    const SCONTEXTCACHE::CProvContextRef context = SCONTEXTCACHE::CProvContextRef::Adopt(handle);
    const std::string narrowReader = NarrowName(reader);
    if (!CryptSetProvParam(handle, kSelectReader,
                           reinterpret_cast<const BYTE*>(narrowReader.c_str()), 0) ||
        !CryptSetProvParam(handle, PP_KEYEXCHANGE_PIN, pin, 0)) {
        return GetLastError();
    }
    return ERROR_SUCCESS;
}

}  // namespace

DWORD LoginAtProvider(const std::wstring& reader, const char* pin) {
    return SetPinParam(reader, reinterpret_cast<const BYTE*>(pin));
}

DWORD LogoutAtProvider(const std::wstring& reader) {
    return SetPinParam(reader, nullptr);
}

}  // namespace SVKCERT
