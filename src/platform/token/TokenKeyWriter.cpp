#include "platform/token/TokenKeyWriter.h"

#include <openssl/crypto.h>
#include <openssl/x509.h>

#include "platform/crypto/CryptApi.h"
#include "platform/token/StoreError.h"

namespace vkstore {

namespace {

// Bits of the platform's key permissions.
constexpr std::uint32_t kEncrypt = 0x01, kDecrypt = 0x02, kExport = 0x04, kRead = 0x08,
                        kWrite = 0x10, kMac = 0x20;

Bytes PublicDer(EVP_PKEY* key) {
    int size = i2d_PUBKEY(key, nullptr);
    if (size <= 0) {
        return {};
    }
    Bytes out(static_cast<std::size_t>(size));
    unsigned char* p = out.data();
    i2d_PUBKEY(key, &p);
    return out;
}

SecretBytes PrivateDer(EVP_PKEY* key) {
    PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(key);
    if (!info) {
        return {};
    }
    int size = i2d_PKCS8_PRIV_KEY_INFO(info, nullptr);
    SecretBytes out(size > 0 ? static_cast<std::size_t>(size) : 0);
    unsigned char* p = out.Data();
    if (size > 0) {
        i2d_PKCS8_PRIV_KEY_INFO(info, &p);
    }
    PKCS8_PRIV_KEY_INFO_free(info);
    return out;
}

}  // namespace

std::uint32_t TokenKeyPermissions(bool exportable) {
    return kEncrypt | kDecrypt | kRead | kWrite | kMac | (exportable ? kExport : 0);
}

ALG_ID TokenKeyAlg(int spec) {
    return spec == AT_KEYEXCHANGE ? CALG_RSA_KEYX : CALG_RSA_SIGN;
}

void WriteTokenKey(TokenStore& store, std::int64_t containerId, const SecretBytes& tokenKey,
                   EVP_PKEY* key, int spec, bool exportable, const Bytes& certificate) {
    if (!key || EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) {
        throw StoreError(StoreFailure::InvalidName, "only RSA keys live on the token");
    }
    SecretBytes plain = PrivateDer(key);
    if (plain.Empty()) {
        throw StoreError(StoreFailure::InvalidName, "not a private key");
    }
    KeyEntry entry;
    entry.spec = spec;
    entry.publicDer = PublicDer(key);
    entry.exportable = exportable;
    entry.permissions = TokenKeyPermissions(exportable);
    entry.certificate = certificate;
    store.PutKey(containerId, entry, TokenSecrets::Seal(tokenKey, plain));
}

}  // namespace vkstore
