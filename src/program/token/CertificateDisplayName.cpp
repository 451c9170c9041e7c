#include "program/token/CertificateDisplayName.h"

#include <cstring>
#include <new>

#include "platform/cert/CertApi.h"
#include "program/token/CCertException.h"
#include "program/token/TwoCallRead.h"

namespace SVKCERT {

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::vector<BYTE> Decode(LPCSTR structure, const BYTE* data, DWORD size) {
    return TwoCallRead([&](BYTE* out, DWORD* length) {
        return CryptDecodeObject(kEncoding, structure, data, size, 0, out, length);
    });
}

std::wstring AttributeText(const CERT_RDN_ATTR& attr) {
    const DWORD size = CertRDNValueToStrW(attr.dwValueType, &attr.Value, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring text(size, L'\0');
    const DWORD written = CertRDNValueToStrW(attr.dwValueType, &attr.Value, text.data(), size);
    text.resize(written > 0 ? written - 1 : 0);
    return text;
}

}  // namespace

std::wstring CertificateDisplayName(const std::vector<BYTE>& der) {
    if (der.empty()) {
        return {};
    }
    try {
        // The decoded structures are flat: their pointers point into their own buffers, which
        // the vectors keep aligned for the structures' fields.
        const std::vector<BYTE> certBuffer =
            Decode(X509_CERT_TO_BE_SIGNED, der.data(), static_cast<DWORD>(der.size()));
        const auto* info = reinterpret_cast<const CERT_INFO*>(certBuffer.data());
        const std::vector<BYTE> nameBuffer =
            Decode(CERT_X509_NAME_STRUCT, info->Subject.pbData, info->Subject.cbData);
        const auto* name = reinterpret_cast<const CERT_NAME_INFO*>(nameBuffer.data());
        std::wstring text;
        for (DWORD r = 0; r < name->cRDN; ++r) {
            const CERT_RDN& rdn = name->rgRDN[r];
            for (DWORD a = 0; a < rdn.cRDNAttr; ++a) {
                const CERT_RDN_ATTR& attr = rdn.rgRDNAttr[a];
                if (attr.pszObjId != nullptr &&
                    std::strcmp(attr.pszObjId, szOID_COMMON_NAME) == 0) {
                    text = AttributeText(attr);
                }
            }
        }
        return text;
    } catch (const SEXCPT::CCertException&) {
        return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace SVKCERT
