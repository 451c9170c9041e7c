#include "program/ops/CertStoreRegistration.h"

#include <openssl/x509.h>  // before CertApi.h: see X509_NAME there

#include <memory>
#include <optional>

#include "platform/cert/CertApi.h"
#include "platform/cert/StoreFile.h"
#include "platform/text/FormatString.h"
#include "platform/text/Utf.h"
#include "program/app/LangResource.h"
#include "program/token/CCertException.h"
#include "program/token/CKeyInfo.h"
#include "program/token/CProviderDescriptor.h"
#include "program/token/CryptHandles.h"
#include "program/token/ErrorText.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SVKCERT {

namespace {

using SEXCPT::CCertException;
using SEXCPT::ThrowIfFailed;

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr const wchar_t* kPersonalStore = L"MY";

// Clears the key's caches when it goes, whatever way the operation ends.
class CCachesClearer {
public:
    explicit CCachesClearer(CKeyInfo& key) : m_key(key) {}
    ~CCachesClearer() { m_key.ClearCaches(); }
    CCachesClearer(const CCachesClearer&) = delete;
    CCachesClearer& operator=(const CCachesClearer&) = delete;

private:
    CKeyInfo& m_key;
};

StorePtr OpenPersonalStore() {
    StorePtr store(CertOpenSystemStoreW(0, kPersonalStore));
    ThrowIfFailed(store != nullptr);
    return store;
}

CertContextPtr CreateContext(const std::vector<BYTE>& certificate) {
    CertContextPtr context(CertCreateCertificateContext(kEncoding, certificate.data(),
                                                        static_cast<DWORD>(certificate.size())));
    ThrowIfFailed(context != nullptr);
    return context;
}

// The message's reason: the system's description of the error, and the certificate's damaged
// store file when there is one.
std::wstring FailureReason(DWORD code, const std::vector<BYTE>& certificate) {
    std::wstring reason = ErrorDescription(code);
    if (const std::wstring damaged = DamagedStoreFileOf(certificate); !damaged.empty()) {
        reason += L" " + FormatString(LoadLangString(IDS_STORE_FILE_DAMAGED), damaged);
    }
    return reason;
}

}  // namespace

void Register(CKeyInfo& key, const CProviderDescriptor& provider) {
    CCachesClearer clearer(key);
    const StorePtr store = OpenPersonalStore();
    const CertContextPtr context = CreateContext(key.GetCertificate());
    std::wstring container = key.GetContainerName();
    std::wstring providerName = provider.name;
    CRYPT_KEY_PROV_INFO info{};
    info.pwszContainerName = container.data();
    info.pwszProvName = providerName.data();
    info.dwProvType = provider.type;
    info.dwFlags = 0;
    info.cProvParam = 0;
    info.rgProvParam = nullptr;
    info.dwKeySpec = key.GetKeySpec();
    ThrowIfFailed(
        CertSetCertificateContextProperty(context.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
    ThrowIfFailed(CertAddCertificateContextToStore(store.get(), context.get(),
                                                   CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
}

void Unregister(CKeyInfo& key) {
    CCachesClearer clearer(key);
    const StorePtr store = OpenPersonalStore();
    const CertContextPtr context = CreateContext(key.GetCertificate());
    const CertContextPtr found(CertFindCertificateInStore(
        store.get(), kEncoding, 0, CERT_FIND_EXISTING, context.get(), nullptr));
    ThrowIfFailed(found != nullptr);
    // The deletion frees the context it is given.
    ThrowIfFailed(CertDeleteCertificateFromStore(CertDuplicateCertificateContext(found.get())));
}

std::wstring DamagedStoreFileOf(const std::vector<BYTE>& certificate) {
    const std::optional<std::filesystem::path> folder = vk::cert::SystemStoreFolder(kPersonalStore);
    if (!folder || certificate.empty()) {
        return {};
    }
    const std::filesystem::path own = vk::cert::StoreFilePath(*folder, certificate);
    for (const std::filesystem::path& damaged : vk::cert::DamagedStoreFiles(*folder)) {
        if (damaged == own) {
            return Utf8ToWide(damaged.string());
        }
    }
    return {};
}

void ChangeStoreRegistration(EStoreChange change, CKeyInfo& key,
                             const CProviderDescriptor& provider, const CFrameFacade& facade,
                             const STreeItemInfo::ITreeItemInfo* node) {
    const bool add = change == EStoreChange::Add;
    const std::wstring name = key.GetCertificateDisplayName();
    const std::vector<BYTE> certificate = key.GetCertificate();
    std::optional<DWORD> error;
    try {
        add ? Register(key, provider) : Unregister(key);
    } catch (const CCertException& e) {
        error = e.GetCode();
    }
    facade.RedrawNode(node);
    facade.UpdateToolBarToggles();
    if (error) {
        ShowMessageBox(
            FormatString(LoadLangString(add ? IDS_STORE_ADD_FAILED : IDS_STORE_REMOVE_FAILED), name,
                         FailureReason(*error, certificate)),
            MB_ICONERROR);
        return;
    }
    ShowMessageBox(
        FormatString(LoadLangString(add ? IDS_STORE_ADD_SUCCEEDED : IDS_STORE_REMOVE_SUCCEEDED),
                     name),
        MB_ICONINFORMATION);
}

}  // namespace SVKCERT
