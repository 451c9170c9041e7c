// PFXExportCertStoreEx.
#include <openssl/x509.h>

#include <new>
#include <string>
#include <vector>

#include "platform/cert/pkcs12/CertKeyProvInfo.h"
#include "platform/cert/pkcs12/Pfx.h"
#include "platform/cert/pkcs12/PfxReader.h"
#include "platform/cert/pkcs12/PfxWriter.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"

namespace {

using vk::crypto::EvpPkeyPtr;
using vk::pkcs12::X509Ptr;

constexpr DWORD kExportFlags = REPORT_NO_PRIVATE_KEY | REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY |
                               EXPORT_PRIVATE_KEYS | PKCS12_INCLUDE_EXTENDED_PROPERTIES |
                               PKCS12_EXPORT_SILENT;

// The private key that the certificate's key provider information leads to;
// null with the last error set.
EvpPkeyPtr ExportPrivateKey(PCCERT_CONTEXT cert) {
    auto info = vk::pkcs12::ReadKeyProvInfo(cert);
    if (!info) {
        SetLastError(NTE_NO_KEY);
        return nullptr;
    }
    HCRYPTPROV prov = 0;
    if (!CryptAcquireContextW(&prov, info->container.c_str(), info->provider.c_str(),
                              info->provType, info->flags & CRYPT_MACHINE_KEYSET)) {
        return nullptr;
    }
    HCRYPTKEY key = 0;
    EvpPkeyPtr result;
    DWORD error = ERROR_SUCCESS;
    if (CryptGetUserKey(prov, info->keySpec, &key)) {
        DWORD size = 0;
        if (CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &size)) {
            vk::crypto::SecureBytes blob(size);
            if (CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, blob.data(), &size)) {
                auto parsed = vk::crypto::ParseRsaKeyBlob(blob.data(), size);
                if (parsed) {
                    result = std::move(parsed->key);
                }
            }
        }
        error = GetLastError();
        CryptDestroyKey(key);
    } else {
        error = GetLastError();
    }
    CryptReleaseContext(prov, 0);
    SetLastError(error);
    return result;
}

struct Item {
    X509Ptr cert;
    EvpPkeyPtr key;
    std::string friendlyName;
};

// CERT_FRIENDLY_NAME_PROP_ID (a wide string with its NUL) in UTF-8; empty without one.
std::string FriendlyName(PCCERT_CONTEXT cert) {
    DWORD size = 0;
    if (!CertGetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, nullptr, &size) ||
        size < sizeof(wchar_t)) {
        return {};
    }
    std::wstring name(size / sizeof(wchar_t), L'\0');
    if (!CertGetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, name.data(), &size)) {
        return {};
    }
    name.resize(name.find(L'\0') == std::wstring::npos ? name.size() : name.find(L'\0'));
    return WideToUtf8(name);
}

BOOL Export(HCERTSTORE hStore, CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword, DWORD dwFlags) {
    if (hStore == nullptr || pPFX == nullptr) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    if ((dwFlags & ~kExportFlags) != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    std::vector<Item> items;
    for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(hStore, nullptr); cert != nullptr;
         cert = CertEnumCertificatesInStore(hStore, cert)) {
        Item item;
        const unsigned char* p = cert->pbCertEncoded;
        item.cert.reset(d2i_X509(nullptr, &p, cert->cbCertEncoded));
        if (!item.cert) {
            CertFreeCertificateContext(cert);
            return FailWith(CRYPT_E_BAD_ENCODE);
        }
        if ((dwFlags & EXPORT_PRIVATE_KEYS) != 0) {
            const bool hasInfo = vk::pkcs12::ReadKeyProvInfo(cert).has_value();
            item.key = hasInfo ? ExportPrivateKey(cert) : nullptr;
            const DWORD error = GetLastError();
            if (!hasInfo && (dwFlags & REPORT_NO_PRIVATE_KEY) != 0) {
                CertFreeCertificateContext(cert);
                return FailWith(NTE_NO_KEY);
            }
            if (hasInfo && !item.key && (dwFlags & REPORT_NOT_ABLE_TO_EXPORT_PRIVATE_KEY) != 0) {
                CertFreeCertificateContext(cert);
                return FailWith(error);
            }
        }
        item.friendlyName = FriendlyName(cert);
        items.push_back(std::move(item));
    }
    std::vector<vk::pkcs12::PfxEntry> entries;
    for (const auto& item : items) {
        entries.push_back({item.cert.get(), item.key.get(), item.friendlyName});
    }
    auto bytes = vk::pkcs12::WritePfx(entries, szPassword);
    if (!bytes) {
        return FALSE;
    }
    const DWORD available = pPFX->cbData;
    pPFX->cbData = static_cast<DWORD>(bytes->size());
    if (pPFX->pbData == nullptr) {
        return TRUE;
    }
    if (available < bytes->size()) {
        return FailWith(ERROR_MORE_DATA);
    }
    std::copy(bytes->begin(), bytes->end(), pPFX->pbData);
    return TRUE;
}

}  // namespace

BOOL PFXExportCertStoreEx(HCERTSTORE hStore, CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword,
                          void* /*pvReserved*/, DWORD dwFlags) {
    try {
        return Export(hStore, pPFX, szPassword, dwFlags);
    } catch (const std::bad_alloc&) {
        return FailWith(NTE_NO_MEMORY);
    }
}
