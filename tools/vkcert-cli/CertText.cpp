#include "CertText.h"

#include "platform/cert/CertApi.h"
#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

namespace vkcli {

std::string Thumbprint(const std::vector<BYTE>& der) {
    BYTE hash[20] = {};
    DWORD size = sizeof hash;
    if (!CryptHashCertificate(0, CALG_SHA1, 0, der.data(), static_cast<DWORD>(der.size()), hash,
                              &size)) {
        return {};
    }
    return HexText({hash, size}, HexCase::Lower, " ");
}

std::string SimpleSubject(const std::vector<BYTE>& der) {
    PCCERT_CONTEXT context = CertCreateCertificateContext(
        X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    if (context == nullptr) {
        return {};
    }
    std::wstring name;
    const CERT_NAME_BLOB* subject = &context->pCertInfo->Subject;
    const DWORD size = CertNameToStrW(X509_ASN_ENCODING, subject, CERT_SIMPLE_NAME_STR, nullptr, 0);
    if (size > 1) {
        name.resize(size);
        const DWORD written =
            CertNameToStrW(X509_ASN_ENCODING, subject, CERT_SIMPLE_NAME_STR, name.data(), size);
        name.resize(written > 0 ? written - 1 : 0);
    }
    CertFreeCertificateContext(context);
    for (wchar_t& c : name) {
        if (c < 0x20 || c == 0x7F) {
            c = L' ';
        }
    }
    return WideToUtf8(name);
}

}  // namespace vkcli
