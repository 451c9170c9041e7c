#include "program/ops/pfximport/PfxUnpack.h"

#include <openssl/x509.h>  // before CertApi.h

#include <new>
#include <optional>

#include "platform/cert/CertApi.h"
#include "platform/cert/pkcs12/CertKeyProvInfo.h"
#include "platform/cert/pkcs12/Pfx.h"
#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "program/token/CryptHandles.h"

namespace SPFXMaster {

namespace {

// The private key of the certificate's key set as a PRIVATEKEYBLOB; nothing when the
// certificate has none or it cannot be read out.
std::optional<vk::crypto::SecureBytes> ExportPrivateKey(PCCERT_CONTEXT certificate) {
    SVKCERT::CScopedProv prov;
    DWORD keySpec = 0;
    BOOL callerFrees = FALSE;
    if (!CryptAcquireCertificatePrivateKey(certificate, 0, nullptr, prov.Out(), &keySpec,
                                           &callerFrees)) {
        return std::nullopt;
    }
    SVKCERT::CScopedKey key;
    if (!CryptGetUserKey(prov.Get(), keySpec, key.Out())) {
        return std::nullopt;
    }
    DWORD size = 0;
    if (!CryptExportKey(key.Get(), 0, PRIVATEKEYBLOB, 0, nullptr, &size)) {
        return std::nullopt;
    }
    vk::crypto::SecureBytes blob(size);
    if (!CryptExportKey(key.Get(), 0, PRIVATEKEYBLOB, 0, blob.data(), &size)) {
        return std::nullopt;
    }
    blob.resize(size);
    return blob;
}

// The software key set that the unpacking made for the certificate goes once its key is out.
void DeleteKeySet(PCCERT_CONTEXT certificate) {
    const auto info = vk::pkcs12::ReadKeyProvInfo(certificate);
    if (!info) {
        return;
    }
    HCRYPTPROV deleted = 0;
    CryptAcquireContextW(&deleted, info->container.c_str(), info->provider.c_str(), info->provType,
                         CRYPT_DELETEKEYSET | (info->flags & CRYPT_MACHINE_KEYSET));
}

SPfxUnpackResult Unpack(const std::vector<BYTE>& contents, const std::wstring& password) {
    SPfxUnpackResult result;
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(contents.size()), const_cast<BYTE*>(contents.data())};
    if (!PFXIsPFXBlob(&blob) && GetLastError() != ERROR_INVALID_PARAMETER) {
        result.error = GetLastError();
        return result;
    }
    const SVKCERT::StorePtr store(
        PFXImportCertStore(&blob, password.c_str(), CRYPT_EXPORTABLE | CRYPT_MACHINE_KEYSET));
    if (!store) {
        result.error = GetLastError();
        return result;
    }
    for (PCCERT_CONTEXT certificate = CertEnumCertificatesInStore(store.get(), nullptr);
         certificate != nullptr;
         certificate = CertEnumCertificatesInStore(store.get(), certificate)) {
        std::optional<vk::crypto::SecureBytes> key = ExportPrivateKey(certificate);
        DeleteKeySet(certificate);
        if (key) {
            result.pairs.push_back(SPfxKeyPair{
                std::move(*key),
                std::vector<BYTE>(certificate->pbCertEncoded,
                                  certificate->pbCertEncoded + certificate->cbCertEncoded)});
        }
    }
    return result;
}

}  // namespace

SPfxUnpackResult UnpackPfx(const std::vector<BYTE>& contents, const std::wstring& password) {
    try {
        return Unpack(contents, password);
    } catch (const std::bad_alloc&) {
        SPfxUnpackResult result;
        result.error = NTE_NO_MEMORY;
        return result;
    }
}

}  // namespace SPFXMaster
