// Writes an RSA key pair into a container of a token: the public key as
// SubjectPublicKeyInfo, the private key as PKCS #8 sealed under the token key.
#pragma once

#include <openssl/evp.h>

#include <cstdint>

#include "platform/crypto/CryptApi.h"
#include "platform/token/TokenSecrets.h"
#include "platform/token/TokenStore.h"

namespace vkstore {

// Permissions of a key made on the token.
std::uint32_t TokenKeyPermissions(bool exportable);
// The algorithm of the key of a key specification: CALG_RSA_KEYX for 1, CALG_RSA_SIGN for 2.
ALG_ID TokenKeyAlg(int spec);

// Throws StoreError(InvalidName) for a key that is not an RSA private key.
void WriteTokenKey(TokenStore& store, std::int64_t containerId, const SecretBytes& tokenKey,
                   EVP_PKEY* key, int spec, bool exportable, const Bytes& certificate = {});

}  // namespace vkstore
