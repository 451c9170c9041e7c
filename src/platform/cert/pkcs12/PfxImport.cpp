// PFXIsPFXBlob, PFXVerifyPassword and PFXImportCertStore.
#include <openssl/x509.h>  // before CertApi.h: see X509_NAME there

#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/cert/pkcs12/Pfx.h"
#include "platform/cert/pkcs12/PfxReader.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/Uuid.h"

namespace {

using vk::pkcs12::PfxContents;

constexpr DWORD kImportFlags = CRYPT_EXPORTABLE | CRYPT_USER_PROTECTED | CRYPT_MACHINE_KEYSET |
                               CRYPT_USER_KEYSET | PKCS12_INCLUDE_EXTENDED_PROPERTIES |
                               PKCS12_PREFER_CNG_KSP | PKCS12_ALWAYS_CNG_KSP |
                               PKCS12_ALLOW_OVERWRITE_KEY | PKCS12_NO_PERSIST_KEY;

// Software key sets made for one import; deleted again unless kept.
class KeySets {
public:
    explicit KeySets(DWORD flags) : m_flags(flags) {}
    ~KeySets() {
        if (m_keep) {
            return;
        }
        for (const auto& name : m_names) {
            HCRYPTPROV prov = 0;
            CryptAcquireContextW(&prov, name.c_str(), MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                                 CRYPT_DELETEKEYSET | (m_flags & CRYPT_MACHINE_KEYSET));
        }
    }
    KeySets(const KeySets&) = delete;
    KeySets& operator=(const KeySets&) = delete;

    // The container that holds the key, made on first use; empty on failure
    // (last error set).
    std::wstring ContainerFor(int keyIndex, const EVP_PKEY* key) {
        auto it = m_byKey.find(keyIndex);
        if (it != m_byKey.end()) {
            return it->second;
        }
        auto blob = vk::crypto::RsaToPrivateKeyBlob(key, CALG_RSA_KEYX);
        if (!blob) {
            return {};
        }
        std::wstring name = NewUuidString();
        HCRYPTPROV prov = 0;
        if (!CryptAcquireContextW(&prov, name.c_str(), MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                                  CRYPT_NEWKEYSET | (m_flags & CRYPT_MACHINE_KEYSET))) {
            return {};
        }
        m_names.push_back(name);
        HCRYPTKEY hKey = 0;
        const BOOL imported =
            CryptImportKey(prov, blob->data(), static_cast<DWORD>(blob->size()), 0,
                           m_flags & (CRYPT_EXPORTABLE | CRYPT_USER_PROTECTED), &hKey);
        const DWORD error = GetLastError();
        if (imported) {
            CryptDestroyKey(hKey);
        }
        CryptReleaseContext(prov, 0);
        if (!imported) {
            SetLastError(error);
            return {};
        }
        m_byKey.emplace(keyIndex, name);
        return name;
    }

    void Keep() { m_keep = true; }

private:
    const DWORD m_flags;
    std::vector<std::wstring> m_names;
    std::map<int, std::wstring> m_byKey;
    bool m_keep = false;
};

class StoreHolder {
public:
    explicit StoreHolder(HCERTSTORE store) : m_store(store) {}
    ~StoreHolder() {
        if (m_store != nullptr) {
            CertCloseStore(m_store, 0);
        }
    }
    StoreHolder(const StoreHolder&) = delete;
    StoreHolder& operator=(const StoreHolder&) = delete;
    HCERTSTORE Get() const { return m_store; }
    HCERTSTORE Release() { return std::exchange(m_store, nullptr); }

private:
    HCERTSTORE m_store;
};

// Adds one certificate, with its key provider information when it has a key.
bool AddCertificate(HCERTSTORE store, const vk::pkcs12::PfxCertificate& entry,
                    const PfxContents& contents, KeySets& keySets, DWORD flags) {
    PCCERT_CONTEXT context =
        CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, entry.der.data(),
                                     static_cast<DWORD>(entry.der.size()));
    if (context == nullptr) {
        return false;
    }
    bool ok = true;
    const EVP_PKEY* key = entry.keyIndex >= 0
                              ? contents.keys[static_cast<std::size_t>(entry.keyIndex)].get()
                              : nullptr;
    // Only RSA keys fit the software providers; others stay in the file.
    if (key != nullptr && EVP_PKEY_get_base_id(key) == EVP_PKEY_RSA) {
        std::wstring container = keySets.ContainerFor(entry.keyIndex, key);
        std::wstring provider = MS_ENHANCED_PROV_W;
        CRYPT_KEY_PROV_INFO info{};
        info.pwszContainerName = container.data();
        info.pwszProvName = provider.data();
        info.dwProvType = PROV_RSA_FULL;
        info.dwFlags = flags & CRYPT_MACHINE_KEYSET;
        info.dwKeySpec = AT_KEYEXCHANGE;
        ok = !container.empty() &&
             CertSetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, 0, &info);
    }
    if (ok && !CertAddCertificateContextToStore(store, context, CERT_STORE_ADD_NEW, nullptr)) {
        // The same certificate twice in a file is one certificate of the store.
        ok = GetLastError() == CRYPT_E_EXISTS;
    }
    const DWORD error = GetLastError();
    CertFreeCertificateContext(context);
    SetLastError(error);
    return ok;
}

HCERTSTORE Import(const CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword, DWORD dwFlags) {
    if (pPFX == nullptr || (pPFX->pbData == nullptr && pPFX->cbData != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if ((dwFlags & ~kImportFlags) != 0) {
        SetLastError(NTE_BAD_FLAGS);
        return nullptr;
    }
    PfxContents contents;
    const DWORD error = vk::pkcs12::ReadPfx(pPFX->pbData, pPFX->cbData, szPassword, contents);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    StoreHolder store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    if (store.Get() == nullptr) {
        return nullptr;
    }
    KeySets keySets(dwFlags);
    for (const auto& entry : contents.certificates) {
        if (!AddCertificate(store.Get(), entry, contents, keySets, dwFlags)) {
            return nullptr;
        }
    }
    keySets.Keep();
    SetLastError(ERROR_SUCCESS);
    return store.Release();
}

}  // namespace

BOOL PFXIsPFXBlob(const CRYPT_DATA_BLOB* pPFX) {
    if (pPFX == nullptr || (pPFX->pbData == nullptr && pPFX->cbData != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!vk::pkcs12::IsPfx(pPFX->pbData, pPFX->cbData)) {
        SetLastError(CRYPT_E_BAD_ENCODE);
        return FALSE;
    }
    return TRUE;
}

BOOL PFXVerifyPassword(const CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword, DWORD /*dwFlags*/) {
    if (pPFX == nullptr || (pPFX->pbData == nullptr && pPFX->cbData != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD error = vk::pkcs12::VerifyPfxPassword(pPFX->pbData, pPFX->cbData, szPassword);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

HCERTSTORE PFXImportCertStore(const CRYPT_DATA_BLOB* pPFX, LPCWSTR szPassword, DWORD dwFlags) {
    try {
        return Import(pPFX, szPassword, dwFlags);
    } catch (const std::bad_alloc&) {
        SetLastError(NTE_NO_MEMORY);
        return nullptr;
    }
}
