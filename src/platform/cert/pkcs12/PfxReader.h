// Reads a PKCS #12 file: its certificates in the order of their bags and the
// private keys it holds, each certificate paired with the key whose public
// key is its own (attributes such as localKeyID are not trusted for that).
#pragma once

#include <openssl/x509.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "platform/crypto/KeyBlob.h"

namespace vk::pkcs12 {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

struct PfxCertificate {
    std::vector<BYTE> der;
    X509Ptr cert;
    int keyIndex = -1;  // index into PfxContents::keys, -1 when the file lacks its key
};

struct PfxContents {
    std::vector<PfxCertificate> certificates;
    std::vector<vk::crypto::EvpPkeyPtr> keys;
};

// Unpacks the file with the password (null: empty). ERROR_SUCCESS, or
// ERROR_INVALID_PASSWORD (the MAC does not verify or, without a MAC, the
// contents do not decrypt), CRYPT_E_BAD_ENCODE (not PKCS #12, damaged, or
// protected by an algorithm that is not available), NTE_NO_MEMORY.
DWORD ReadPfx(const BYTE* data, std::size_t size, const wchar_t* password, PfxContents& out);

// Checks the password only (the MAC, or the first decryption without one).
DWORD VerifyPfxPassword(const BYTE* data, std::size_t size, const wchar_t* password);

// Whether the bytes decode as the outer PFX structure.
bool IsPfx(const BYTE* data, std::size_t size);

}  // namespace vk::pkcs12
