// An open key: a provider context from the context cache and a key handle of the container's
// key of one specification. The context is shared with the cache (never released here); the
// key handle is destroyed when the pair is reset or goes.
#pragma once

#include <string>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/SecureBytes.h"
#include "program/token/CProvContextRef.h"
#include "program/token/CProviderDescriptor.h"

namespace SVKCERT {

class COpenKey {
public:
    COpenKey() = default;
    ~COpenKey() { Reset(); }
    COpenKey(COpenKey&& other) noexcept;
    COpenKey& operator=(COpenKey&& other) noexcept;
    COpenKey(const COpenKey&) = delete;
    COpenKey& operator=(const COpenKey&) = delete;

    // Resets the pair, then gets the container's context through the cache and its key of that
    // specification (1 exchange, 2 signature). A container without such a key fails with
    // CCertException.
    void Open(const CProviderDescriptor& provider, const std::wstring& reader,
              const std::wstring& container, DWORD keySpec);
    void Reset();

    HCRYPTPROV Context() const { return m_context.Get(); }
    HCRYPTKEY Key() const { return m_key; }
    bool IsOpen() const { return m_key != 0; }

    // Stores a DER certificate with the key (guarded).
    void AssignCertificate(const std::vector<BYTE>& der) const;
    // KP_KEYLEN and KP_PERMISSIONS (guarded).
    DWORD GetKeyLength() const;
    DWORD GetPermissions() const;
    // PUBLICKEYBLOB or PRIVATEKEYBLOB in the two-call pattern (guarded).
    std::vector<BYTE> ExportBlob(BYTE blobType) const;
    // PRIVATEKEYBLOB into a buffer that wipes itself (guarded; refused for a key that may not
    // be exported).
    vk::crypto::SecureBytes ExportPrivateKeyBlob() const;

private:
    DWORD GetDwordParam(DWORD param) const;

    SCONTEXTCACHE::CProvContextRef m_context;
    HCRYPTKEY m_key = 0;
};

}  // namespace SVKCERT
