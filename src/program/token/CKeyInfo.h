// One key of a container that exists on the token: its open key and what has been read of it,
// each read lazily and kept until the key's caches are cleared (after a certificate is assigned
// to it, or it is added to or removed from the user's certificate store).
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/token/COpenKey.h"
#include "program/token/CProviderDescriptor.h"

class CKeyInfo {
public:
    CKeyInfo(std::wstring readerName, std::wstring containerName, DWORD keySpec,
             SVKCERT::COpenKey openKey, SVKCERT::CProviderDescriptor provider);
    CKeyInfo(const CKeyInfo&) = delete;
    CKeyInfo& operator=(const CKeyInfo&) = delete;

    const std::wstring& GetReaderName() const { return m_readerName; }
    const std::wstring& GetContainerName() const { return m_containerName; }
    DWORD GetKeySpec() const { return m_keySpec; }
    const SVKCERT::COpenKey& GetOpenKey() const { return m_openKey; }

    // The DER certificate stored with the key, read once; empty when it has none or the read
    // failed.
    const std::vector<BYTE>& GetCertificate();
    bool HasCertificate() { return !GetCertificate().empty(); }
    // The certificate's display name (its last common name), kept beside the bytes.
    const std::wstring& GetCertificateDisplayName();

    // Key length in bits and permission bits; 0 when the read failed (tried again next time).
    DWORD GetKeyLength();
    DWORD GetPermissions();

    // Whether the user's "MY" store holds this certificate; every failure counts as not.
    bool IsRegistered();

    // Forgets the certificate, its name, key length, permissions and registration state.
    void ClearCaches();

private:
    std::wstring m_readerName;
    std::wstring m_containerName;
    DWORD m_keySpec;
    SVKCERT::COpenKey m_openKey;
    SVKCERT::CProviderDescriptor m_provider;

    DWORD m_keyLength = 0;
    std::vector<BYTE> m_certificate;
    bool m_certificateRead = false;
    DWORD m_permissions = 0;
    bool m_registrationKnown = false;
    bool m_registered = false;
    std::wstring m_displayName;
    bool m_displayNameRead = false;
};
