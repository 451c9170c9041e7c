#include "program/ui/certlist/CertHandles.h"

#include <cstddef>
#include <vector>

#include "platform/errors/LastError.h"
#include "program/token/CCertException.h"

namespace SSertListItemInfo {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct ContextRelease {
    void operator()(const CERT_CONTEXT* context) const { CertFreeCertificateContext(context); }
};

}  // namespace

CertContextPtr MakeCertContext(std::span<const BYTE> der) {
    PCCERT_CONTEXT context =
        CertCreateCertificateContext(kEncoding, der.data(), static_cast<DWORD>(der.size()));
    if (context == nullptr) {
        throw SVKCERT::SEXCPT::CCertException(GetLastError());
    }
    return CertContextPtr(context, ContextRelease());
}

CertInfoPtr DecodeCertInfo(std::span<const BYTE> der) {
    using SVKCERT::SEXCPT::ThrowIfFailed;
    const auto size32 = static_cast<DWORD>(der.size());
    DWORD size = 0;
    ThrowIfFailed(CryptDecodeObject(kEncoding, X509_CERT_TO_BE_SIGNED, der.data(), size32, 0,
                                    nullptr, &size));
    // max_align_t elements keep the flat structure's pointers and numbers aligned.
    auto buffer =
        std::make_shared<std::vector<std::max_align_t>>(size / sizeof(std::max_align_t) + 1);
    ThrowIfFailed(CryptDecodeObject(kEncoding, X509_CERT_TO_BE_SIGNED, der.data(), size32, 0,
                                    buffer->data(), &size));
    const auto* info = reinterpret_cast<const CERT_INFO*>(buffer->data());
    return CertInfoPtr(std::move(buffer), info);
}

}  // namespace SSertListItemInfo
