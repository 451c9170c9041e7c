#include "platform/cert/NameString.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <utility>

#include "platform/cert/CertApi.h"
#include "platform/cert/NameFields.h"
#include "platform/cert/OidTable.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

namespace vk::cert {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsValidUtf8(const BYTE* p, std::size_t n) {
    const std::wstring w = Utf8ToWide(std::string_view(reinterpret_cast<const char*>(p), n));
    return std::find(w.begin(), w.end(), kReplacement) == w.end();
}

std::wstring Latin1(const BYTE* p, std::size_t n) {
    std::wstring out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(static_cast<wchar_t>(p[i]));
    }
    return out;
}

std::wstring Utf16Be(const BYTE* p, std::size_t n) {
    std::wstring out;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        char32_t u = static_cast<char32_t>((p[i] << 8) | p[i + 1]);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            const char32_t lo = static_cast<char32_t>((p[i + 2] << 8) | p[i + 3]);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00)));
                i += 2;
                continue;
            }
        }
        out.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacement : static_cast<wchar_t>(u));
    }
    if (n % 2) {
        out.push_back(kReplacement);
    }
    return out;
}

std::wstring Utf32Be(const BYTE* p, std::size_t n) {
    std::wstring out;
    for (std::size_t i = 0; i + 3 < n; i += 4) {
        const std::uint32_t u = (std::uint32_t{p[i]} << 24) | (std::uint32_t{p[i + 1]} << 16) |
                                (std::uint32_t{p[i + 2]} << 8) | p[i + 3];
        const bool ok = u <= 0x10FFFF && !(u >= 0xD800 && u <= 0xDFFF);
        out.push_back(ok ? static_cast<wchar_t>(u) : kReplacement);
    }
    if (n % 4) {
        out.push_back(kReplacement);
    }
    return out;
}

// Characters that draw nothing: controls (C0 but the tab, which shows as blank space like a
// space, DEL, C1), bidirectional and zero-width marks, fillers, variation selectors, tags.
bool DrawsNothing(wchar_t c) {
    static constexpr std::pair<wchar_t, wchar_t> kRanges[] = {
        {0x0000, 0x0008}, {0x000A, 0x001F}, {0x007F, 0x009F},   {0x00AD, 0x00AD}, {0x034F, 0x034F},
        {0x061C, 0x061C}, {0x115F, 0x1160}, {0x17B4, 0x17B5},   {0x180B, 0x180F}, {0x200B, 0x200F},
        {0x2028, 0x202E}, {0x2060, 0x206F}, {0x3164, 0x3164},   {0xFE00, 0xFE0F}, {0xFEFF, 0xFEFF},
        {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFFB}, {0xE0000, 0xE0FFF},
    };
    return std::ranges::any_of(kRanges,
                               [c](const auto& r) { return c >= r.first && c <= r.second; });
}

// Every character of a value shows, in any font: one that draws nothing is written as its
// code, \xNN up to U+00FF (NUL \x00, ESC \x1B), else \uXXXX or \UXXXXXXXX. A NUL thus no
// longer ends the text for a caller reading a C string.
std::wstring Visible(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (!DrawsNothing(c)) {
            out.push_back(c);
            continue;
        }
        const auto code = static_cast<unsigned>(c);
        wchar_t escape[16];
        std::swprintf(escape, std::size(escape),
                      code <= 0xFF     ? L"\\x%02X"
                      : code <= 0xFFFF ? L"\\u%04X"
                                       : L"\\U%08X",
                      code);
        out += escape;
    }
    return out;
}

std::wstring HexWithHash(const BYTE* p, std::size_t n) {
    return L"#" + WideHexText({p, n}, HexCase::Upper);
}

bool NeedsQuotes(const std::wstring& v) {
    if (v.empty()) {
        return false;
    }
    if (v.front() == L' ' || v.back() == L' ') {
        return true;
    }
    return v.find_first_of(L",+=\"\r\n<>#;") != std::wstring::npos;
}

std::wstring Quoted(const std::wstring& v) {
    std::wstring out = L"\"";
    for (wchar_t c : v) {
        out.push_back(c);
        if (c == L'"') {
            out.push_back(L'"');
        }
    }
    out.push_back(L'"');
    return out;
}

std::wstring Key(const std::string& oid, DWORD form) {
    if (form == CERT_OID_NAME_STR) {
        return Utf8ToWide(oid);
    }
    if (const CRYPT_OID_INFO* info = LookupOid(oid, CRYPT_RDN_ATTR_OID_GROUP_ID)) {
        return info->pwszName;
    }
    return L"OID." + Utf8ToWide(oid);
}

DWORD CopyOut(const std::wstring& text, LPWSTR psz, DWORD csz) {
    const auto needed = static_cast<DWORD>(text.size() + 1);
    if (!psz || csz == 0) {
        return needed;
    }
    const DWORD n = std::min<DWORD>(csz - 1, static_cast<DWORD>(text.size()));
    std::memcpy(psz, text.data(), n * sizeof(wchar_t));
    psz[n] = L'\0';
    return n + 1;
}

// The value's characters as stored.
std::wstring StoredText(DWORD valueType, const BYTE* value, std::size_t size) {
    if (!value) {
        size = 0;
    }
    switch (valueType) {
        case CERT_RDN_UTF8_STRING:
            return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(value), size));
        case CERT_RDN_BMP_STRING:
            return Utf16Be(value, size);
        case CERT_RDN_UNIVERSAL_STRING:
            return Utf32Be(value, size);
        case CERT_RDN_NUMERIC_STRING:
        case CERT_RDN_PRINTABLE_STRING:
        case CERT_RDN_TELETEX_STRING:
        case CERT_RDN_VIDEOTEX_STRING:
        case CERT_RDN_IA5_STRING:
        case CERT_RDN_GRAPHIC_STRING:
        case CERT_RDN_VISIBLE_STRING:
        case CERT_RDN_GENERAL_STRING:
            if (IsValidUtf8(value, size)) {
                return Utf8ToWide(std::string_view(reinterpret_cast<const char*>(value), size));
            }
            return Latin1(value, size);
        default:
            return HexWithHash(value, size);
    }
}

}  // namespace

std::wstring RdnValueText(DWORD valueType, const BYTE* value, std::size_t size) {
    return Visible(StoredText(valueType, value, size));
}

std::optional<std::wstring> NameToText(const BYTE* encoded, std::size_t size, DWORD strType) {
    auto name = SplitName(encoded, size);
    if (!name) {
        return std::nullopt;
    }
    const DWORD form = strType & 0xFFFF;
    std::wstring separator = L", ";
    if (strType & CERT_NAME_STR_SEMICOLON_FLAG) {
        separator = L"; ";
    } else if (strType & CERT_NAME_STR_CRLF_FLAG) {
        separator = L"\r\n";
    }
    const std::wstring joiner = (strType & CERT_NAME_STR_NO_PLUS_FLAG) ? separator : L" + ";
    const bool quote = !(strType & CERT_NAME_STR_NO_QUOTING_FLAG);
    if (strType & CERT_NAME_STR_REVERSE_FLAG) {
        std::reverse(name->begin(), name->end());
    }
    std::wstring out;
    for (std::size_t i = 0; i < name->size(); ++i) {
        if (i) {
            out += separator;
        }
        const NameRdn& rdn = (*name)[i];
        for (std::size_t j = 0; j < rdn.size(); ++j) {
            if (j) {
                out += joiner;
            }
            if (form == CERT_X500_NAME_STR || form == CERT_OID_NAME_STR) {
                out += Key(rdn[j].oid, form) + L"=";
            }
            // Quoted by the stored characters, shown by the visible ones.
            const std::wstring v =
                StoredText(rdn[j].valueType, rdn[j].value.data, rdn[j].value.size);
            out += Visible(quote && NeedsQuotes(v) ? Quoted(v) : v);
        }
    }
    return out;
}

}  // namespace vk::cert

DWORD CertNameToStrW(DWORD /*dwCertEncodingType*/, const CERT_NAME_BLOB* pName, DWORD dwStrType,
                     LPWSTR psz, DWORD csz) {
    if (!pName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return vk::cert::CopyOut(L"", psz, csz);
    }
    const DWORD form = dwStrType & 0xFFFF;
    if (form != CERT_SIMPLE_NAME_STR && form != CERT_OID_NAME_STR && form != CERT_X500_NAME_STR) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return vk::cert::CopyOut(L"", psz, csz);
    }
    auto text = vk::cert::NameToText(pName->pbData, pName->cbData, dwStrType);
    if (!text) {
        SetLastError(CRYPT_E_ASN1_CORRUPT);
        return vk::cert::CopyOut(L"", psz, csz);
    }
    return vk::cert::CopyOut(*text, psz, csz);
}

DWORD CertRDNValueToStrW(DWORD dwValueType, const CERT_RDN_VALUE_BLOB* pValue, LPWSTR psz,
                         DWORD csz) {
    if (!pValue) {
        return vk::cert::CopyOut(L"", psz, csz);
    }
    return vk::cert::CopyOut(vk::cert::RdnValueText(dwValueType, pValue->pbData, pValue->cbData),
                             psz, csz);
}
