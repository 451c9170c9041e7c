#include "program/ui/certlist/CSLICertNameItemInfo.h"

#include <algorithm>

namespace SSertListItemInfo {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// The buffer holds the answered size plus one character and is terminated
// after the answered length; an answered size of 0 leaves the text empty.
std::wstring NameText(const CERT_NAME_BLOB& name, DWORD form) {
    const DWORD size = CertNameToStrW(kEncoding, &name, form, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring text(size + 1, L'\0');
    CertNameToStrW(kEncoding, &name, form, text.data(), size);
    text[size] = L'\0';
    text.resize(std::min<std::size_t>(text.find(L'\0'), size));
    return text;
}

}  // namespace

CSLICertNameItemInfo::CSLICertNameItemInfo(std::wstring caption, const CERT_NAME_BLOB& name)
    : m_caption(std::move(caption)),
      m_simple(NameText(name, CERT_SIMPLE_NAME_STR)),
      m_x500(NameText(name, kX500Form)) {}

}  // namespace SSertListItemInfo
