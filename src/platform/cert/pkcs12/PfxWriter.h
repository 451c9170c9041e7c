// Packs certificates, some with their private keys, into a PKCS #12 file:
// certificates in an AES-256-CBC encrypted safe, keys in shrouded key bags
// (PBES2: PBKDF2 with HMAC-SHA-256, AES-256-CBC), each key and its certificate
// tied by a localKeyID (the certificate's SHA-1 hash), and an HMAC-SHA-256
// MAC over it all.
#pragma once

#include <openssl/x509.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace vk::pkcs12 {

struct PfxEntry {
    const X509* cert = nullptr;
    const EVP_PKEY* key = nullptr;  // null: the certificate alone
    std::string friendlyName;       // UTF-8, on the certificate and its key; empty: none
};

// Null with the last error set on failure.
std::optional<std::vector<BYTE>> WritePfx(const std::vector<PfxEntry>& entries,
                                          const wchar_t* password);

}  // namespace vk::pkcs12
