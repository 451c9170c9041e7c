#include "program/token/KeyOperations.h"

#include "program/token/CCertException.h"
#include "program/token/CProvContextRef.h"
#include "program/token/CReaderLock.h"
#include "program/token/ContainerOperations.h"
#include "program/token/CryptHandles.h"
#include "program/token/TwoCallRead.h"

namespace SVKCERT {

namespace {}  // namespace

std::vector<BYTE> ReadKeyCertificate(const CProviderDescriptor& provider,
                                     const std::wstring& reader, const std::wstring& container,
                                     DWORD keySpec) {
    CReaderLock lock(reader);
    // Held until the read is done, so a removal sweep meanwhile cannot release it under us.
    const SCONTEXTCACHE::CProvContextRef context = AcquireCached(provider, reader, container);
    CScopedKey key;
    SEXCPT::ThrowIfFailed(CryptGetUserKey(context.Get(), keySpec, key.Out()));
    return TwoCallRead([&](BYTE* data, DWORD* length) {
        return CryptGetKeyParam(key.Get(), KP_CERTIFICATE, data, length, 0);
    });
}

HCRYPTKEY ImportKeyBlob(HCRYPTPROV context, std::span<const BYTE> blob, DWORD flags) {
    HCRYPTKEY key = 0;
    SEXCPT::ThrowIfFailed(
        CryptImportKey(context, blob.data(), static_cast<DWORD>(blob.size()), 0, flags, &key));
    return key;
}

}  // namespace SVKCERT
