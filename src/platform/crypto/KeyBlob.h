// RSA keys of OpenSSL in the platform's key blob layouts:
//   PUBLICKEYBLOB:  BLOBHEADER, RSAPUBKEY "RSA1", modulus
//   PRIVATEKEYBLOB: BLOBHEADER, RSAPUBKEY "RSA2", modulus, prime1, prime2,
//                   exponent1, exponent2, coefficient, private exponent
// Integers are little-endian and padded to bitlen/8 bytes (modulus, private
// exponent) or bitlen/16 bytes (the others), rounded up; blobs have exactly
// that length. Failures set the last error.
#pragma once

#include <openssl/evp.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/SecureBytes.h"

namespace vk::crypto {

struct EvpPkeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, EvpPkeyFree>;

// PUBLICKEYBLOB of an RSA key (public or private). NTE_BAD_KEY when the key is
// not RSA or its public exponent does not fit 32 bits.
std::optional<std::vector<BYTE>> RsaToPublicKeyBlob(const EVP_PKEY* key, ALG_ID alg);
// PRIVATEKEYBLOB of an RSA private key with its CRT parameters. NTE_BAD_KEY
// when the key is not such a key or a component does not fit its field.
std::optional<SecureBytes> RsaToPrivateKeyBlob(const EVP_PKEY* key, ALG_ID alg);

struct ParsedKeyBlob {
    BYTE type = 0;  // PUBLICKEYBLOB or PRIVATEKEYBLOB
    ALG_ID alg = 0;
    DWORD bits = 0;
    EvpPkeyPtr key;
};
// Reads a PUBLICKEYBLOB or PRIVATEKEYBLOB of an RSA key. NTE_BAD_TYPE (other
// blob type), NTE_BAD_VER (version), NTE_BAD_ALGID (not an RSA algorithm),
// NTE_BAD_DATA (wrong magic, length, zero modulus, primes that do not give the
// modulus).
std::optional<ParsedKeyBlob> ParseRsaKeyBlob(const BYTE* blob, std::size_t size);

// The DER RSAPublicKey (PKCS #1: SEQUENCE of modulus and exponent, the bits of
// a certificate's subject public key) of a PUBLICKEYBLOB, and back. The blob
// made from DER carries alg. CRYPT_E_BAD_ENCODE for undecodable DER,
// NTE_BAD_DATA / NTE_BAD_TYPE for a bad blob.
std::optional<std::vector<BYTE>> PublicKeyBlobToRsaPublicKeyDer(const BYTE* blob, std::size_t size);
std::optional<std::vector<BYTE>> RsaPublicKeyDerToPublicKeyBlob(const BYTE* der, std::size_t size,
                                                                ALG_ID alg = CALG_RSA_KEYX);

// Whether two keys hold the same public key.
bool SamePublicKey(const EVP_PKEY* a, const EVP_PKEY* b);

}  // namespace vk::crypto
