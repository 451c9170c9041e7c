#include "program/token/CKeyInfo.h"

#include <utility>

#include "platform/cert/CertApi.h"
#include "program/token/CCertException.h"
#include "program/token/CertificateDisplayName.h"
#include "program/token/KeyOperations.h"

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// Whether the store holds a certificate with exactly these bytes.
bool StoreHolds(const std::vector<BYTE>& der) {
    HCERTSTORE store = CertOpenSystemStoreW(0, L"MY");
    if (store == nullptr) {
        return false;
    }
    bool found = false;
    if (PCCERT_CONTEXT context =
            CertCreateCertificateContext(kEncoding, der.data(), static_cast<DWORD>(der.size()))) {
        PCCERT_CONTEXT match =
            CertFindCertificateInStore(store, kEncoding, 0, CERT_FIND_EXISTING, context, nullptr);
        found = match != nullptr;
        CertFreeCertificateContext(match);
        CertFreeCertificateContext(context);
    }
    CertCloseStore(store, 0);
    return found;
}

}  // namespace

CKeyInfo::CKeyInfo(std::wstring readerName, std::wstring containerName, DWORD keySpec,
                   SVKCERT::COpenKey openKey, SVKCERT::CProviderDescriptor provider)
    : m_readerName(std::move(readerName)),
      m_containerName(std::move(containerName)),
      m_keySpec(keySpec),
      m_openKey(std::move(openKey)),
      m_provider(std::move(provider)) {}

const std::vector<BYTE>& CKeyInfo::GetCertificate() {
    if (!m_certificateRead) {
        m_certificateRead = true;
        try {
            m_certificate =
                SVKCERT::ReadKeyCertificate(m_provider, m_readerName, m_containerName, m_keySpec);
        } catch (const SVKCERT::SEXCPT::CCertException&) {
            m_certificate.clear();
        }
    }
    return m_certificate;
}

const std::wstring& CKeyInfo::GetCertificateDisplayName() {
    if (!m_displayNameRead) {
        m_displayName = SVKCERT::CertificateDisplayName(GetCertificate());
        m_displayNameRead = true;
    }
    return m_displayName;
}

DWORD CKeyInfo::GetKeyLength() {
    if (m_keyLength == 0) {
        try {
            m_keyLength = m_openKey.GetKeyLength();
        } catch (const SVKCERT::SEXCPT::CCertException&) {
            m_keyLength = 0;
        }
    }
    return m_keyLength;
}

DWORD CKeyInfo::GetPermissions() {
    if (m_permissions == 0) {
        try {
            m_permissions = m_openKey.GetPermissions();
        } catch (const SVKCERT::SEXCPT::CCertException&) {
            m_permissions = 0;
        }
    }
    return m_permissions;
}

bool CKeyInfo::IsRegistered() {
    if (!m_registrationKnown) {
        m_registrationKnown = true;
        const std::vector<BYTE>& der = GetCertificate();
        m_registered = !der.empty() && StoreHolds(der);
    }
    return m_registered;
}

void CKeyInfo::ClearCaches() {
    m_keyLength = 0;
    m_certificate.clear();
    m_certificateRead = false;
    m_permissions = 0;
    m_registrationKnown = false;
    m_registered = false;
    m_displayName.clear();
    m_displayNameRead = false;
}
