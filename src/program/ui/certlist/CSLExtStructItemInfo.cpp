#include "program/ui/certlist/CSLExtStructItemInfo.h"

#include <memory>
#include <optional>
#include <vector>

namespace SSertListItemInfo {
namespace {

const wchar_t kOneLineFallback[] = L"Can not parse extended struct (possible Win 98)";
const wchar_t kMultiLineFallback[] = L"Can not parse extended struct \r\n (possible Win 98)";

// Inserts "\r" before every "\n" that does not follow one.
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) {
            out += L'\r';
        }
        out += text[i];
    }
    return out;
}

std::optional<std::wstring> Format(FormatObjectFn format, const CERT_EXTENSION& extension,
                                   DWORD flags) {
    if (format == nullptr) {
        return std::nullopt;
    }
    const BYTE* value = extension.Value.pbData;
    const DWORD size = extension.Value.cbData;
    DWORD bytes = 0;
    if (!format(X509_ASN_ENCODING, 0, flags, nullptr, extension.pszObjId, value, size, nullptr,
                &bytes)) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!format(X509_ASN_ENCODING, 0, flags, nullptr, extension.pszObjId, value, size, text.data(),
                &bytes)) {
        return std::nullopt;
    }
    text.back() = L'\0';
    return WithCrLf(text.data());
}

std::wstring ExtensionCaption(const char* oid) {
    const CRYPT_OID_INFO* info = CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, oid, 0);
    return info != nullptr && info->pwszName != nullptr ? std::wstring(info->pwszName)
                                                        : std::wstring();
}

}  // namespace

std::unique_ptr<ISLItemInfo> CSLExtStructItemInfo::FromExtension(const CERT_EXTENSION& extension,
                                                                 FormatObjectFn format) {
    std::wstring oneLine = kOneLineFallback;
    std::wstring multiLine = kMultiLineFallback;
    // A failure skips the remaining steps: the multi-line text is tried only
    // after the one-line text was made.
    if (auto text = Format(format, extension, 0)) {
        oneLine = std::move(*text);
        if (auto lines = Format(format, extension, CRYPT_FORMAT_STR_MULTI_LINE)) {
            multiLine = std::move(*lines);
        }
    }
    return std::make_unique<CSLExtStructItemInfo>(ExtensionCaption(extension.pszObjId),
                                                  std::move(oneLine), std::move(multiLine));
}

}  // namespace SSertListItemInfo
