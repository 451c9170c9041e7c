// CryptAcquireCertificatePrivateKey.
#include <openssl/x509.h>

#include <new>
#include <vector>

#include "platform/cert/pkcs12/CertKeyProvInfo.h"
#include "platform/cert/pkcs12/Pfx.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace {

// Whether the key spec's key of the context is the certificate's public key.
bool KeyMatches(HCRYPTPROV prov, DWORD keySpec, PCCERT_CONTEXT cert) {
    HCRYPTKEY key = 0;
    if (!CryptGetUserKey(prov, keySpec, &key)) {
        return false;
    }
    DWORD size = 0;
    std::vector<BYTE> blob;
    bool ok = CryptExportKey(key, 0, PUBLICKEYBLOB, 0, nullptr, &size);
    if (ok) {
        blob.resize(size);
        ok = CryptExportKey(key, 0, PUBLICKEYBLOB, 0, blob.data(), &size);
    }
    CryptDestroyKey(key);
    if (!ok) {
        return false;
    }
    auto parsed = vk::crypto::ParseRsaKeyBlob(blob.data(), size);
    const unsigned char* p = cert->pbCertEncoded;
    X509* x509 = d2i_X509(nullptr, &p, cert->cbCertEncoded);
    const bool same = parsed && x509 != nullptr &&
                      vk::crypto::SamePublicKey(X509_get0_pubkey(x509), parsed->key.get());
    X509_free(x509);
    return same;
}

BOOL Acquire(PCCERT_CONTEXT pCert, DWORD dwFlags, HCRYPTPROV* phCryptProv, DWORD* pdwKeySpec,
             BOOL* pfCallerFreeProv) {
    if (pCert == nullptr || phCryptProv == nullptr) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    *phCryptProv = 0;
    auto info = vk::pkcs12::ReadKeyProvInfo(pCert);
    if (!info) {
        return FALSE;
    }
    DWORD flags = info->flags & CRYPT_MACHINE_KEYSET;
    if ((dwFlags & CRYPT_ACQUIRE_SILENT_FLAG) != 0) {
        flags |= CRYPT_SILENT;
    }
    HCRYPTPROV prov = 0;
    if (!CryptAcquireContextW(&prov, info->container.c_str(), info->provider.c_str(),
                              info->provType, flags)) {
        return FALSE;
    }
    if ((dwFlags & CRYPT_ACQUIRE_COMPARE_KEY_FLAG) != 0 &&
        !KeyMatches(prov, info->keySpec, pCert)) {
        CryptReleaseContext(prov, 0);
        return FailWith(NTE_BAD_PUBLIC_KEY);
    }
    *phCryptProv = prov;
    if (pdwKeySpec != nullptr) {
        *pdwKeySpec = info->keySpec;
    }
    if (pfCallerFreeProv != nullptr) {
        *pfCallerFreeProv = TRUE;
    }
    return TRUE;
}

}  // namespace

BOOL CryptAcquireCertificatePrivateKey(PCCERT_CONTEXT pCert, DWORD dwFlags, void* /*pvParameters*/,
                                       HCRYPTPROV* phCryptProv, DWORD* pdwKeySpec,
                                       BOOL* pfCallerFreeProv) {
    try {
        return Acquire(pCert, dwFlags, phCryptProv, pdwKeySpec, pfCallerFreeProv);
    } catch (const std::bad_alloc&) {
        return FailWith(NTE_NO_MEMORY);
    }
}
