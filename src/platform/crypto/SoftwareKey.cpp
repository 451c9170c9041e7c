#include "platform/crypto/SoftwareKey.h"

#include <openssl/rsa.h>
#include <openssl/x509.h>

#include "platform/crypto/DerLength.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::crypto {
namespace {

constexpr DWORD kDefaultPermissions = CRYPT_ENCRYPT | CRYPT_DECRYPT | CRYPT_READ | CRYPT_WRITE |
                                      CRYPT_MAC | CRYPT_EXPORT_KEY | CRYPT_IMPORT_KEY;
constexpr std::size_t kMaxCertificate = 1 << 20;

}  // namespace

SoftwareKey::SoftwareKey(EvpPkeyPtr key, ALG_ID alg, bool hasPrivate, bool exportable)
    : m_key(std::move(key)),
      m_alg(alg),
      m_hasPrivate(hasPrivate),
      m_bits(static_cast<DWORD>(EVP_PKEY_get_bits(m_key.get()))),
      m_permissions(kDefaultPermissions | (exportable || !hasPrivate ? CRYPT_EXPORT : 0)) {}

BOOL SoftwareKey::GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    std::lock_guard lock(m_mutex);
    switch (param) {
        case KP_ALGID:
            return CopyOutDword(m_alg, data, dataLen);
        case KP_KEYLEN:
        case KP_BLOCKLEN:
            return CopyOutDword(m_bits, data, dataLen);
        case KP_PERMISSIONS:
            return CopyOutDword(m_permissions, data, dataLen);
        case KP_CERTIFICATE:
            if (m_certificate.empty()) {
                return FailWith(NTE_NOT_FOUND);
            }
            return CopyOut(m_certificate.data(), m_certificate.size(), data, dataLen);
        default:
            return FailWith(NTE_BAD_TYPE);
    }
}

BOOL SoftwareKey::SetParam(DWORD param, const BYTE* data, DWORD flags) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    if (data == nullptr) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    switch (param) {
        case KP_CERTIFICATE: {
            const std::size_t length = DerSequenceLength(data);
            if (length == 0 || length > kMaxCertificate) {
                return FailWith(CRYPT_E_ASN1_BADTAG);
            }
            const unsigned char* p = data;
            X509* cert = d2i_X509(nullptr, &p, static_cast<long>(length));
            const bool whole = cert != nullptr && p == data + length;
            X509_free(cert);
            if (!whole) {
                return FailWith(CRYPT_E_ASN1_CORRUPT);
            }
            std::lock_guard lock(m_mutex);
            m_certificate.assign(data, data + length);
            return TRUE;
        }
        case KP_PERMISSIONS: {
            const DWORD wanted = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 |
                                 static_cast<DWORD>(data[2]) << 16 |
                                 static_cast<DWORD>(data[3]) << 24;
            std::lock_guard lock(m_mutex);
            // Permissions can be taken away, never given.
            if ((wanted & ~m_permissions) != 0) {
                return FailWith(NTE_PERM);
            }
            m_permissions = wanted;
            return TRUE;
        }
        default:
            return FailWith(NTE_BAD_TYPE);
    }
}

BOOL SoftwareKey::Export(DWORD blobType, DWORD flags, BYTE* data, DWORD* dataLen) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    if (blobType == PUBLICKEYBLOB) {
        auto blob = RsaToPublicKeyBlob(m_key.get(), m_alg);
        return blob ? CopyOut(blob->data(), blob->size(), data, dataLen) : FALSE;
    }
    if (blobType != PRIVATEKEYBLOB) {
        return FailWith(NTE_BAD_TYPE);
    }
    if (!m_hasPrivate) {
        return FailWith(NTE_BAD_KEY);
    }
    {
        std::lock_guard lock(m_mutex);
        if ((m_permissions & CRYPT_EXPORT) == 0) {
            return FailWith(NTE_BAD_KEY_STATE);
        }
    }
    auto blob = RsaToPrivateKeyBlob(m_key.get(), m_alg);
    return blob ? CopyOut(blob->data(), blob->size(), data, dataLen) : FALSE;
}

EvpPkeyPtr GenerateRsaKey(DWORD bits) {
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
    EVP_PKEY* key = nullptr;
    if (ctx != nullptr && EVP_PKEY_keygen_init(ctx) == 1 &&
        EVP_PKEY_CTX_set_rsa_keygen_bits(ctx, static_cast<int>(bits)) == 1) {
        EVP_PKEY_keygen(ctx, &key);
    }
    EVP_PKEY_CTX_free(ctx);
    return EvpPkeyPtr(key);
}

}  // namespace vk::crypto
