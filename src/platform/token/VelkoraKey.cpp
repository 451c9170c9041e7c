#include "platform/token/VelkoraKey.h"

#include <openssl/x509.h>

#include <cstring>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/DerLength.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenKeyWriter.h"

namespace vkstore {

namespace {

constexpr std::size_t kMaxCertificate = 1 << 20;

vk::crypto::EvpPkeyPtr PublicKey(const Bytes& der) {
    const unsigned char* p = der.data();
    return vk::crypto::EvpPkeyPtr(d2i_PUBKEY(nullptr, &p, static_cast<long>(der.size())));
}

}  // namespace

VelkoraKey::VelkoraKey(VelkoraSession session, DWORD keySpec)
    : m_session(std::move(session)), m_spec(keySpec) {}

std::optional<KeyEntry> VelkoraKey::Read() const {
    auto store = m_session.Open();
    if (!store) {
        return std::nullopt;
    }
    try {
        auto key = store->Key(*m_session.containerId, static_cast<int>(m_spec));
        if (!key) {
            SetLastError(NTE_NO_KEY);
        }
        return key;
    } catch (const std::exception& e) {
        SetLastError(StoreFailureCode(e));
        return std::nullopt;
    }
}

BOOL VelkoraKey::GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    auto key = Read();
    if (!key) {
        return FALSE;
    }
    switch (param) {
        case KP_ALGID:
            return vk::crypto::CopyOutDword(TokenKeyAlg(static_cast<int>(m_spec)), data, dataLen);
        case KP_KEYLEN:
        case KP_BLOCKLEN: {
            auto pkey = PublicKey(key->publicDer);
            if (!pkey) {
                return FailWith(NTE_BAD_KEY);
            }
            return vk::crypto::CopyOutDword(static_cast<DWORD>(EVP_PKEY_get_bits(pkey.get())), data,
                                            dataLen);
        }
        case KP_PERMISSIONS:
            return vk::crypto::CopyOutDword(key->permissions, data, dataLen);
        case KP_CERTIFICATE:
            if (key->certificate.empty()) {
                return FailWith(NTE_NOT_FOUND);
            }
            return vk::crypto::CopyOut(key->certificate.data(), key->certificate.size(), data,
                                       dataLen);
        default:
            return FailWith(NTE_BAD_TYPE);
    }
}

BOOL VelkoraKey::SetParam(DWORD param, const BYTE* data, DWORD flags) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    if (!data) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    auto store = m_session.Open();
    if (!store) {
        return FALSE;
    }
    if (!m_session.LoggedIn()) {
        return FailWith(SCARD_W_CARD_NOT_AUTHENTICATED);
    }
    try {
        auto key = store->Key(*m_session.containerId, static_cast<int>(m_spec));
        if (!key) {
            return FailWith(NTE_NO_KEY);
        }
        switch (param) {
            case KP_CERTIFICATE: {
                const std::size_t length = vk::crypto::DerSequenceLength(data);
                const unsigned char* p = data;
                X509* cert = length > 0 && length <= kMaxCertificate
                                 ? d2i_X509(nullptr, &p, static_cast<long>(length))
                                 : nullptr;
                if (!cert) {
                    return FailWith(CRYPT_E_ASN1_BADTAG);
                }
                X509_free(cert);
                store->SetCertificate(*m_session.containerId, static_cast<int>(m_spec),
                                      Bytes(data, data + length));
                return TRUE;
            }
            case KP_PERMISSIONS: {
                DWORD permissions = 0;
                std::memcpy(&permissions, data, sizeof permissions);
                KeyEntry changed = *key;
                changed.permissions = permissions;
                store->PutKey(
                    *m_session.containerId, changed,
                    store->SealedPrivateKey(*m_session.containerId, static_cast<int>(m_spec)));
                return TRUE;
            }
            default:
                return FailWith(NTE_BAD_TYPE);
        }
    } catch (const std::exception& e) {
        return FailWith(StoreFailureCode(e));
    }
}

BOOL VelkoraKey::Export(DWORD blobType, DWORD flags, BYTE* data, DWORD* dataLen) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    auto key = Read();
    if (!key) {
        return FALSE;
    }
    if (blobType == PUBLICKEYBLOB) {
        auto pkey = PublicKey(key->publicDer);
        auto blob =
            pkey ? vk::crypto::RsaToPublicKeyBlob(pkey.get(), TokenKeyAlg(static_cast<int>(m_spec)))
                 : std::nullopt;
        if (!blob) {
            return FailWith(NTE_BAD_KEY);
        }
        return vk::crypto::CopyOut(blob->data(), blob->size(), data, dataLen);
    }
    if (blobType != PRIVATEKEYBLOB) {
        return FailWith(NTE_BAD_TYPE);
    }
    if (!key->exportable) {
        return FailWith(NTE_BAD_KEY_STATE);
    }
    try {
        const SecretBytes blob = service::TokenServiceClient().ExportKey(m_session.Key(m_spec));
        return vk::crypto::CopyOut(blob.Data(), blob.Size(), data, dataLen);
    } catch (const StoreError& e) {
        // Without the login the key is as closed as one that may not leave.
        return FailWith(e.Failure() == StoreFailure::NotLoggedIn ? NTE_BAD_KEY_STATE
                                                                 : StoreFailureCode(e));
    } catch (const std::exception& e) {
        return FailWith(StoreFailureCode(e));
    }
}

}  // namespace vkstore
