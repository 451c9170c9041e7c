#include "program/token/COpenKey.h"

#include <utility>

#include "program/token/CCertException.h"
#include "program/token/ContainerOperations.h"
#include "program/token/TwoCallRead.h"

namespace SVKCERT {

using SEXCPT::ThrowIfFailed;

COpenKey::COpenKey(COpenKey&& other) noexcept
    : m_context(std::move(other.m_context)), m_key(std::exchange(other.m_key, 0)) {}

COpenKey& COpenKey::operator=(COpenKey&& other) noexcept {
    if (this != &other) {
        Reset();
        m_context = std::move(other.m_context);
        m_key = std::exchange(other.m_key, 0);
    }
    return *this;
}

void COpenKey::Reset() {
    if (m_key != 0) {
        CryptDestroyKey(m_key);
        m_key = 0;
    }
    m_context.Reset();
}

void COpenKey::Open(const CProviderDescriptor& provider, const std::wstring& reader,
                    const std::wstring& container, DWORD keySpec) {
    Reset();
    m_context = AcquireCached(provider, reader, container);
    HCRYPTKEY key = 0;
    ThrowIfFailed(CryptGetUserKey(m_context.Get(), keySpec, &key));
    m_key = key;
}

void COpenKey::AssignCertificate(const std::vector<BYTE>& der) const {
    ThrowIfFailed(CryptSetKeyParam(m_key, KP_CERTIFICATE, der.data(), 0));
}

DWORD COpenKey::GetDwordParam(DWORD param) const {
    DWORD length = 0;
    ThrowIfFailed(CryptGetKeyParam(m_key, param, nullptr, &length, 0));
    DWORD value = 0;
    length = sizeof value;
    ThrowIfFailed(CryptGetKeyParam(m_key, param, reinterpret_cast<BYTE*>(&value), &length, 0));
    return value;
}

DWORD COpenKey::GetKeyLength() const {
    return GetDwordParam(KP_KEYLEN);
}

DWORD COpenKey::GetPermissions() const {
    return GetDwordParam(KP_PERMISSIONS);
}

std::vector<BYTE> COpenKey::ExportBlob(BYTE blobType) const {
    return TwoCallRead([&](BYTE* data, DWORD* length) {
        return CryptExportKey(m_key, 0, blobType, 0, data, length);
    });
}

vk::crypto::SecureBytes COpenKey::ExportPrivateKeyBlob() const {
    return TwoCallRead<vk::crypto::SecureBytes>([&](BYTE* data, DWORD* length) {
        return CryptExportKey(m_key, 0, PRIVATEKEYBLOB, 0, data, length);
    });
}

}  // namespace SVKCERT
