// PKCS #12 unpacking on arbitrary bytes: PFXIsPFXBlob, PFXVerifyPassword and
// PFXImportCertStore with a few passwords (empty, ASCII, Cyrillic),
// then the keys that the imported certificates lead to. Key sets made on the
// way are deleted again, so runs do not pile them up.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/cert/pkcs12/Pfx.h"

namespace {

void DeleteKeySet(PCCERT_CONTEXT cert) {
    DWORD size = 0;
    if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) {
        return;
    }
    std::vector<std::max_align_t> buffer(size / sizeof(std::max_align_t) + 1);
    if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, buffer.data(),
                                           &size)) {
        return;
    }
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.data());
    HCRYPTPROV none = 0;
    CryptAcquireContextW(&none, info->pwszContainerName, info->pwszProvName, info->dwProvType,
                         CRYPT_DELETEKEYSET);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<BYTE> bytes(data, data + size);
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(bytes.size()), bytes.data()};
    if (!PFXIsPFXBlob(&blob)) {
        return 0;
    }
    // The empty password also tries no password at all.
    const wchar_t* passwords[] = {L"", L"secret", L"пароль-Тест"};
    for (const wchar_t* password : passwords) {
        PFXVerifyPassword(&blob, password, 0);
        HCERTSTORE store = PFXImportCertStore(&blob, password, CRYPT_EXPORTABLE);
        if (store == nullptr) {
            continue;
        }
        for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store, nullptr); cert != nullptr;
             cert = CertEnumCertificatesInStore(store, cert)) {
            HCRYPTPROV prov = 0;
            DWORD spec = 0;
            BOOL callerFree = FALSE;
            if (CryptAcquireCertificatePrivateKey(cert, CRYPT_ACQUIRE_COMPARE_KEY_FLAG, nullptr,
                                                  &prov, &spec, &callerFree)) {
                CryptReleaseContext(prov, 0);
            }
            DeleteKeySet(cert);
        }
        CertCloseStore(store, 0);
    }
    return 0;
}
