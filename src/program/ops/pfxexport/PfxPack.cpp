#include "program/ops/pfxexport/PfxPack.h"

#include <openssl/x509.h>  // before CertApi.h

#include "platform/cert/CertApi.h"
#include "platform/cert/pkcs12/Pfx.h"
#include "platform/crypto/CryptApi.h"
#include "platform/kernel/Uuid.h"
#include "program/token/CCertException.h"
#include "program/token/CTempKeySet.h"
#include "program/token/CryptHandles.h"
#include "program/token/KeyOperations.h"

namespace SEXPPFXMaster {

namespace {

using SVKCERT::SEXCPT::ThrowIfFailed;

SVKCERT::StorePtr OpenMemoryStore() {
    SVKCERT::StorePtr store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    ThrowIfFailed(store != nullptr);
    return store;
}

SVKCERT::CertContextPtr CreateContext(const std::vector<BYTE>& der) {
    SVKCERT::CertContextPtr context(CertCreateCertificateContext(
        X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
    ThrowIfFailed(context != nullptr);
    return context;
}

}  // namespace

std::vector<BYTE> PackPfx(const SVKCERT::SPfxKeyPair& pair, DWORD keySpec,
                          const std::wstring& friendlyName, const std::wstring& password) {
    // Destroyed in the reverse order: key, key set, certificate, store.
    const SVKCERT::StorePtr store = OpenMemoryStore();
    const SVKCERT::CertContextPtr certificate = CreateContext(pair.certificate);
    SVKCERT::CTempKeySet keySet(NewUuidString());
    const SVKCERT::CScopedKey key(
        SVKCERT::ImportKeyBlob(keySet.Context(), pair.keyBlob, CRYPT_EXPORTABLE));

    std::wstring container = keySet.Container();
    std::wstring provider = keySet.ProviderName();
    CRYPT_KEY_PROV_INFO info{};
    info.pwszContainerName = container.data();
    info.pwszProvName = provider.data();
    info.dwProvType = PROV_RSA_FULL;
    info.dwFlags = 1;
    info.dwKeySpec = keySpec;
    ThrowIfFailed(
        CertSetCertificateContextProperty(certificate.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
    CRYPT_DATA_BLOB name{static_cast<DWORD>((friendlyName.size() + 1) * sizeof(wchar_t)),
                         reinterpret_cast<BYTE*>(const_cast<wchar_t*>(friendlyName.c_str()))};
    ThrowIfFailed(
        CertSetCertificateContextProperty(certificate.get(), CERT_FRIENDLY_NAME_PROP_ID, 0, &name));
    ThrowIfFailed(CertAddCertificateContextToStore(store.get(), certificate.get(),
                                                   CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    constexpr DWORD kFlags =
        REPORT_NO_PRIVATE_KEY | REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY | EXPORT_PRIVATE_KEYS;
    CRYPT_DATA_BLOB packed{0, nullptr};
    ThrowIfFailed(PFXExportCertStoreEx(store.get(), &packed, password.c_str(), nullptr, kFlags));
    std::vector<BYTE> bytes(packed.cbData);
    packed.pbData = bytes.data();
    ThrowIfFailed(PFXExportCertStoreEx(store.get(), &packed, password.c_str(), nullptr, kFlags));
    bytes.resize(packed.cbData);
    return bytes;
}

}  // namespace SEXPPFXMaster
