#include "program/ops/KeyPublicKey.h"

#include <openssl/evp.h>  // before CertApi.h: X509_NAME

#include "platform/cert/CertApi.h"
#include "platform/crypto/KeyBlob.h"
#include "program/token/CCertException.h"
#include "program/token/CKeyInfo.h"
#include "program/token/LoginState.h"

namespace SVKCERT {

std::vector<BYTE> CertificatePublicKeyBits(std::span<const BYTE> der) {
    PCCERT_CONTEXT context =
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    if (context == nullptr) {
        return {};
    }
    const CRYPT_BIT_STRING_BLOB& bits = context->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    std::vector<BYTE> out(bits.pbData, bits.pbData + bits.cbData);
    CertFreeCertificateContext(context);
    return out;
}

std::vector<BYTE> ReadKeyPublicKey(CKeyInfo& key, DWORD loginState,
                                   const std::function<void(DWORD code)>& keyRead) {
    if (key.HasCertificate()) {
        return CertificatePublicKeyBits(key.GetCertificate());
    }
    if (loginState != kLoginUser) {
        return {};
    }
    std::vector<BYTE> der;
    if (keyRead) {
        keyRead(1);
    }
    try {
        const std::vector<BYTE> blob = key.GetOpenKey().ExportBlob(PUBLICKEYBLOB);
        if (auto encoded = vk::crypto::PublicKeyBlobToRsaPublicKeyDer(blob.data(), blob.size())) {
            der = std::move(*encoded);
        }
    } catch (const SEXCPT::CCertException&) {
        // No public key to match a certificate file against.
    }
    if (keyRead) {
        keyRead(2);
    }
    return der;
}

}  // namespace SVKCERT
