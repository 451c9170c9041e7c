// An RSA key of the software providers: the key pair (or a public key alone),
// its algorithm, permissions and the certificate stored with it. Shared by
// its key set and every handle to it; private material is wiped by OpenSSL
// when the last owner lets go.
#pragma once

#include <mutex>
#include <vector>

#include "platform/crypto/CryptProvider.h"
#include "platform/crypto/KeyBlob.h"

namespace vk::crypto {

class SoftwareKey final : public IProviderKey {
public:
    // exportable applies to keys with a private part.
    SoftwareKey(EvpPkeyPtr key, ALG_ID alg, bool hasPrivate, bool exportable);

    BOOL GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) override;
    BOOL SetParam(DWORD param, const BYTE* data, DWORD flags) override;
    BOOL Export(DWORD blobType, DWORD flags, BYTE* data, DWORD* dataLen) override;

    const EVP_PKEY* Key() const { return m_key.get(); }

private:
    const EvpPkeyPtr m_key;
    const ALG_ID m_alg;
    const bool m_hasPrivate;
    const DWORD m_bits;
    mutable std::mutex m_mutex;
    DWORD m_permissions;
    std::vector<BYTE> m_certificate;
};

// Generates an RSA key pair of the given size with exponent 65537.
EvpPkeyPtr GenerateRsaKey(DWORD bits);

}  // namespace vk::crypto
