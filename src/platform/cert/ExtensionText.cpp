#include <openssl/asn1.h>  // before CertApi.h: see X509_NAME there
#include <openssl/objects.h>
#include <openssl/x509v3.h>

#include "platform/cert/ExtensionText.h"

#include <cstdint>
#include <cwchar>
#include <memory>
#include <vector>

#include "platform/cert/CertApi.h"
#include "platform/cert/FlatArena.h"
#include "platform/cert/NameString.h"
#include "platform/cert/OidTable.h"
#include "platform/crypto/OpenSslErrors.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

namespace vk::cert {

namespace {

struct Item {
    std::wstring text;
    std::vector<Item> children;
};
using Items = std::vector<Item>;

// ---------------------------------------------------------------------------
// Rendering.

void RenderMulti(const Items& items, int depth, std::wstring& out) {
    for (const Item& item : items) {
        out.append(static_cast<std::size_t>(depth) * 5, L' ');
        out += item.text + L"\r\n";
        RenderMulti(item.children, depth + 1, out);
    }
}

std::wstring RenderOne(const Items& items) {
    std::wstring out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) {
            out += L", ";
        }
        out += items[i].text;
        if (!items[i].children.empty()) {
            out += !items[i].text.empty() && items[i].text.back() == L':' ? L" " : L": ";
            out += RenderOne(items[i].children);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Pieces.

std::wstring Hex(const unsigned char* p, std::size_t n, const wchar_t* sep = L" ") {
    return WideHexText({p, n}, HexCase::Lower, sep);
}

std::wstring HexOf(const ASN1_STRING* s) {
    return Hex(ASN1_STRING_get0_data(s), static_cast<std::size_t>(ASN1_STRING_length(s)));
}

std::wstring OidText(const ASN1_OBJECT* obj) {
    char buf[256];
    const int n = OBJ_obj2txt(buf, sizeof buf, obj, 1);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf) {
        return L"?";
    }
    return Utf8ToWide(buf);
}

std::string OidNarrow(const ASN1_OBJECT* obj) {
    return WideToUtf8(OidText(obj));
}

std::wstring StringText(const ASN1_STRING* s) {
    const auto* data = ASN1_STRING_get0_data(s);
    const auto size = static_cast<std::size_t>(ASN1_STRING_length(s));
    switch (ASN1_STRING_type(s)) {
        case V_ASN1_UTF8STRING:
            return RdnValueText(CERT_RDN_UTF8_STRING, data, size);
        case V_ASN1_BMPSTRING:
            return RdnValueText(CERT_RDN_BMP_STRING, data, size);
        case V_ASN1_UNIVERSALSTRING:
            return RdnValueText(CERT_RDN_UNIVERSAL_STRING, data, size);
        default:
            return RdnValueText(CERT_RDN_IA5_STRING, data, size);
    }
}

std::wstring IntegerText(const ASN1_INTEGER* v) {
    int64_t n = 0;
    if (v && ASN1_INTEGER_get_int64(&n, v) == 1) {
        return std::to_wstring(n);
    }
    vk::crypto::DrainOpenSslErrors("integer value");
    return v ? HexOf(v) : L"";
}

std::wstring IpText(const ASN1_OCTET_STRING* ip) {
    const auto* p = ASN1_STRING_get0_data(ip);
    const int n = ASN1_STRING_length(ip);
    auto v4 = [](const unsigned char* q) {
        return std::to_wstring(q[0]) + L"." + std::to_wstring(q[1]) + L"." + std::to_wstring(q[2]) +
               L"." + std::to_wstring(q[3]);
    };
    auto v6 = [](const unsigned char* q) {
        std::wstring out;
        for (int i = 0; i < 16; i += 2) {
            if (i) {
                out += L":";
            }
            out += Hex(q + i, 2, L"");
        }
        return out;
    };
    switch (n) {
        case 4:
            return v4(p);
        case 8:
            return v4(p) + L" Mask=" + v4(p + 4);
        case 16:
            return v6(p);
        case 32:
            return v6(p) + L" Mask=" + v6(p + 16);
        default:
            return Hex(p, static_cast<std::size_t>(n));
    }
}

// The name's attributes, last first, each as "KEY=value".
std::vector<std::wstring> NameLines(const X509_NAME* name) {
    unsigned char* der = nullptr;
    const int len = i2d_X509_NAME(name, &der);
    std::vector<std::wstring> lines;
    if (len > 0) {
        auto text = NameToText(der, static_cast<std::size_t>(len),
                               CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG |
                                   CERT_NAME_STR_CRLF_FLAG | CERT_NAME_STR_NO_PLUS_FLAG);
        std::size_t start = 0;
        while (text && start < text->size()) {
            std::size_t end = text->find(L"\r\n", start);
            if (end == std::wstring::npos) {
                end = text->size();
            }
            lines.push_back(text->substr(start, end - start));
            start = end + 2;
        }
    }
    OPENSSL_free(der);
    return lines;
}

Item GeneralNameItem(const GENERAL_NAME* gen) {
    switch (gen->type) {
        case GEN_EMAIL:
            return {L"RFC822 Name=" + StringText(gen->d.rfc822Name), {}};
        case GEN_DNS:
            return {L"DNS Name=" + StringText(gen->d.dNSName), {}};
        case GEN_URI:
            return {L"URL=" + StringText(gen->d.uniformResourceIdentifier), {}};
        case GEN_IPADD:
            return {L"IP Address=" + IpText(gen->d.iPAddress), {}};
        case GEN_RID:
            return {L"Registered ID=" + OidText(gen->d.registeredID), {}};
        case GEN_DIRNAME: {
            Item item{L"Directory Address:", {}};
            for (auto& line : NameLines(gen->d.directoryName)) {
                item.children.push_back({line, {}});
            }
            return item;
        }
        case GEN_OTHERNAME: {
            const OTHERNAME* other = gen->d.otherName;
            const std::string oid = OidNarrow(other->type_id);
            const ASN1_TYPE* value = other->value;
            std::wstring text;
            if (oid == "1.3.6.1.4.1.311.20.2.3" && value && value->type == V_ASN1_UTF8STRING) {
                text = L"Principal Name=" + StringText(value->value.utf8string);
            } else if (value &&
                       (value->type == V_ASN1_UTF8STRING || value->type == V_ASN1_IA5STRING ||
                        value->type == V_ASN1_PRINTABLESTRING)) {
                text = Utf8ToWide(oid) + L"=" + StringText(value->value.asn1_string);
            } else {
                unsigned char* der = nullptr;
                const int len = value ? i2d_ASN1_TYPE(value, &der) : 0;
                text = Utf8ToWide(oid) + L"=" +
                       (len > 0 ? Hex(der, static_cast<std::size_t>(len)) : std::wstring());
                OPENSSL_free(der);
            }
            return {L"Other Name:", {{text, {}}}};
        }
        default:
            return {L"Unknown Name Type", {}};
    }
}

Items GeneralNameItems(const GENERAL_NAMES* names) {
    Items items;
    for (int i = 0; names && i < sk_GENERAL_NAME_num(names); ++i) {
        items.push_back(GeneralNameItem(sk_GENERAL_NAME_value(names, i)));
    }
    return items;
}

std::wstring OidName(const std::string& oid, DWORD group) {
    const CRYPT_OID_INFO* info = LookupOid(oid, group);
    return info ? info->pwszName : std::wstring();
}

std::wstring BitNames(const ASN1_BIT_STRING* bits, const wchar_t* const* names, int count) {
    std::wstring out;
    for (int i = 0; i < count; ++i) {
        if (ASN1_BIT_STRING_get_bit(bits, i)) {
            out += (out.empty() ? L"" : L", ") + std::wstring(names[i]);
        }
    }
    const std::wstring hex = ASN1_STRING_length(bits) > 0 ? HexOf(bits) : L"00";
    return out.empty() ? L"(" + hex + L")" : out + L" (" + hex + L")";
}

// ---------------------------------------------------------------------------
// The extensions. Each answers false when the value does not decode.

template <class T, class Decode, class Free>
std::unique_ptr<T, Free> DecodeWhole(const BYTE* value, std::size_t size, Decode decode, Free) {
    const unsigned char* p = value;
    T* obj = decode(nullptr, &p, static_cast<long>(size));
    std::unique_ptr<T, Free> owned(obj);
    if (owned && p != value + size) {
        owned.reset();  // trailing bytes
    }
    if (!owned) {
        // The hex fallback answers; leave no stale errors to other callers.
        vk::crypto::DrainOpenSslErrors("extension value");
    }
    return owned;
}

#define VK_DECODE(TYPE, value, size) \
    DecodeWhole<TYPE>(value, size, d2i_##TYPE, [](TYPE* x) { TYPE##_free(x); })

bool KeyUsage(const BYTE* v, std::size_t n, Items& out) {
    auto bits = VK_DECODE(ASN1_BIT_STRING, v, n);
    if (!bits) {
        return false;
    }
    static const wchar_t* const kNames[] = {
        L"Digital Signature",    L"Non-Repudiation", L"Key Encipherment",
        L"Data Encipherment",    L"Key Agreement",   L"Certificate Signing",
        L"Off-line CRL Signing", L"Encipher Only",   L"Decipher Only"};
    // Bit 6 is both "Off-line CRL Signing" and "CRL Signing" in the platform's text.
    std::wstring text;
    for (int i = 0; i < 9; ++i) {
        if (ASN1_BIT_STRING_get_bit(bits.get(), i)) {
            text += (text.empty() ? L"" : L", ") + std::wstring(kNames[i]);
            if (i == 6) {
                text += L", CRL Signing";
            }
        }
    }
    const std::wstring hex = ASN1_STRING_length(bits.get()) > 0 ? HexOf(bits.get()) : L"00";
    out.push_back({text.empty() ? L"(" + hex + L")" : text + L" (" + hex + L")", {}});
    return true;
}

bool NetscapeCertType(const BYTE* v, std::size_t n, Items& out) {
    auto bits = VK_DECODE(ASN1_BIT_STRING, v, n);
    if (!bits) {
        return false;
    }
    static const wchar_t* const kNames[] = {L"SSL Client Authentication",
                                            L"SSL Server Authentication",
                                            L"SMIME",
                                            L"Signature",
                                            L"Unknown cert type",
                                            L"SSL CA",
                                            L"SMIME CA",
                                            L"Signature CA"};
    out.push_back({BitNames(bits.get(), kNames, 8), {}});
    return true;
}

bool BasicConstraints(const BYTE* v, std::size_t n, Items& out) {
    auto bc = VK_DECODE(BASIC_CONSTRAINTS, v, n);
    if (!bc) {
        return false;
    }
    out.push_back({bc->ca ? L"Subject Type=CA" : L"Subject Type=End Entity", {}});
    out.push_back({L"Path Length Constraint=" +
                       (bc->pathlen ? IntegerText(bc->pathlen) : std::wstring(L"None")),
                   {}});
    return true;
}

bool SubjectKeyId(const BYTE* v, std::size_t n, Items& out) {
    auto id = VK_DECODE(ASN1_OCTET_STRING, v, n);
    if (!id) {
        return false;
    }
    out.push_back({HexOf(id.get()), {}});
    return true;
}

bool AuthorityKeyId(const BYTE* v, std::size_t n, Items& out) {
    auto aki = VK_DECODE(AUTHORITY_KEYID, v, n);
    if (!aki) {
        return false;
    }
    if (aki->keyid) {
        out.push_back({L"KeyID=" + HexOf(aki->keyid), {}});
    }
    if (aki->issuer) {
        out.push_back({L"Certificate Issuer:", GeneralNameItems(aki->issuer)});
    }
    if (aki->serial) {
        out.push_back({L"Certificate SerialNumber=" + HexOf(aki->serial), {}});
    }
    return true;
}

bool AltName(const BYTE* v, std::size_t n, Items& out) {
    auto names = VK_DECODE(GENERAL_NAMES, v, n);
    if (!names) {
        return false;
    }
    out = GeneralNameItems(names.get());
    return true;
}

bool CrlDistributionPoints(const BYTE* v, std::size_t n, Items& out) {
    auto points = VK_DECODE(CRL_DIST_POINTS, v, n);
    if (!points) {
        return false;
    }
    static const wchar_t* const kReasons[] = {
        L"Unused",       L"Key Compromise",         L"CA Compromise",    L"Affiliation Changed",
        L"Superseded",   L"Cessation of Operation", L"Certificate Hold", L"Privilege Withdrawn",
        L"AA Compromise"};
    for (int i = 0; i < sk_DIST_POINT_num(points.get()); ++i) {
        const DIST_POINT* dp = sk_DIST_POINT_value(points.get(), i);
        Item item{L"[" + std::to_wstring(i + 1) + L"]CRL Distribution Point", {}};
        if (dp->distpoint) {
            Item name{L"Distribution Point Name:", {}};
            if (dp->distpoint->type == 0) {
                name.children.push_back(
                    {L"Full Name:", GeneralNameItems(dp->distpoint->name.fullname)});
            } else {
                X509_NAME* relative = X509_NAME_new();
                for (int j = 0;
                     relative && j < sk_X509_NAME_ENTRY_num(dp->distpoint->name.relativename);
                     ++j) {
                    X509_NAME_add_entry(
                        relative, sk_X509_NAME_ENTRY_value(dp->distpoint->name.relativename, j), -1,
                        j == 0 ? 0 : -1);
                }
                Item rel{L"Name Relative to CRL Issuer:", {}};
                for (auto& line : NameLines(relative)) {
                    rel.children.push_back({line, {}});
                }
                X509_NAME_free(relative);
                name.children.push_back(std::move(rel));
            }
            item.children.push_back(std::move(name));
        }
        if (dp->reasons) {
            item.children.push_back({L"CRL Reason=" + BitNames(dp->reasons, kReasons, 9), {}});
        }
        if (dp->CRLissuer) {
            item.children.push_back({L"CRL Issuer:", GeneralNameItems(dp->CRLissuer)});
        }
        out.push_back(std::move(item));
    }
    return true;
}

bool InfoAccess(const BYTE* v, std::size_t n, const wchar_t* caption, Items& out) {
    auto access = VK_DECODE(AUTHORITY_INFO_ACCESS, v, n);
    if (!access) {
        return false;
    }
    for (int i = 0; i < sk_ACCESS_DESCRIPTION_num(access.get()); ++i) {
        const ACCESS_DESCRIPTION* ad = sk_ACCESS_DESCRIPTION_value(access.get(), i);
        const std::string oid = OidNarrow(ad->method);
        std::wstring method = OidName(oid, CRYPT_EXT_OR_ATTR_OID_GROUP_ID);
        if (method.empty()) {
            method = L"Unknown Access Method";
        }
        Item item{L"[" + std::to_wstring(i + 1) + L"]" + caption, {}};
        item.children.push_back({L"Access Method=" + method + L" (" + Utf8ToWide(oid) + L")", {}});
        item.children.push_back({L"Alternative Name:", {GeneralNameItem(ad->location)}});
        out.push_back(std::move(item));
    }
    return true;
}

Item QualifierItem(const POLICYQUALINFO* q, int policy, int index) {
    Item item{
        L"[" + std::to_wstring(policy) + L"," + std::to_wstring(index) + L"]Policy Qualifier Info:",
        {}};
    const std::string oid = OidNarrow(q->pqualid);
    const std::wstring name = OidName(oid, CRYPT_POLICY_OID_GROUP_ID);
    item.children.push_back(
        {L"Policy Qualifier Id=" + (name.empty() ? Utf8ToWide(oid) : name), {}});
    Item qualifier{L"Qualifier:", {}};
    switch (OBJ_obj2nid(q->pqualid)) {
        case NID_id_qt_cps:
            qualifier.children.push_back({StringText(q->d.cpsuri), {}});
            break;
        case NID_id_qt_unotice: {
            const USERNOTICE* notice = q->d.usernotice;
            if (notice->noticeref) {
                Item ref{L"Notice Reference:", {}};
                ref.children.push_back(
                    {L"Organization=" + StringText(notice->noticeref->organization), {}});
                std::wstring numbers;
                for (int i = 0; i < sk_ASN1_INTEGER_num(notice->noticeref->noticenos); ++i) {
                    numbers += (i ? L", " : L"") +
                               IntegerText(sk_ASN1_INTEGER_value(notice->noticeref->noticenos, i));
                }
                ref.children.push_back({L"Notice Number=" + numbers, {}});
                qualifier.children.push_back(std::move(ref));
            }
            if (notice->exptext) {
                qualifier.children.push_back({L"Notice Text=" + StringText(notice->exptext), {}});
            }
            break;
        }
        default: {
            unsigned char* der = nullptr;
            const int len = q->d.other ? i2d_ASN1_TYPE(q->d.other, &der) : 0;
            qualifier.children.push_back(
                {len > 0 ? Hex(der, static_cast<std::size_t>(len)) : std::wstring(), {}});
            OPENSSL_free(der);
        }
    }
    item.children.push_back(std::move(qualifier));
    return item;
}

bool CertificatePolicies(const BYTE* v, std::size_t n, Items& out) {
    auto policies = VK_DECODE(CERTIFICATEPOLICIES, v, n);
    if (!policies) {
        return false;
    }
    for (int i = 0; i < sk_POLICYINFO_num(policies.get()); ++i) {
        const POLICYINFO* info = sk_POLICYINFO_value(policies.get(), i);
        const std::string oid = OidNarrow(info->policyid);
        const std::wstring name = OidName(oid, CRYPT_POLICY_OID_GROUP_ID);
        Item item{L"[" + std::to_wstring(i + 1) + L"]Certificate Policy:", {}};
        item.children.push_back(
            {L"Policy Identifier=" + (name.empty() ? Utf8ToWide(oid) : name), {}});
        for (int j = 0; j < sk_POLICYQUALINFO_num(info->qualifiers); ++j) {
            item.children.push_back(
                QualifierItem(sk_POLICYQUALINFO_value(info->qualifiers, j), i + 1, j + 1));
        }
        out.push_back(std::move(item));
    }
    return true;
}

bool EnhancedKeyUsage(const BYTE* v, std::size_t n, Items& out) {
    auto usages = VK_DECODE(EXTENDED_KEY_USAGE, v, n);
    if (!usages) {
        return false;
    }
    for (int i = 0; i < sk_ASN1_OBJECT_num(usages.get()); ++i) {
        const std::string oid = OidNarrow(sk_ASN1_OBJECT_value(usages.get(), i));
        std::wstring name = OidName(oid, CRYPT_ENHKEY_USAGE_OID_GROUP_ID);
        if (name.empty()) {
            name = L"Unknown Key Usage";
        }
        out.push_back({name + L" (" + Utf8ToWide(oid) + L")", {}});
    }
    return true;
}

Item SubtreesItem(const wchar_t* caption, const STACK_OF(GENERAL_SUBTREE) * trees) {
    if (!trees || sk_GENERAL_SUBTREE_num(trees) == 0) {
        return {std::wstring(caption) + L"=None", {}};
    }
    Item item{caption, {}};
    for (int i = 0; i < sk_GENERAL_SUBTREE_num(trees); ++i) {
        const GENERAL_SUBTREE* t = sk_GENERAL_SUBTREE_value(trees, i);
        const std::wstring min = t->minimum ? IntegerText(t->minimum) : L"0";
        const std::wstring max = t->maximum ? IntegerText(t->maximum) : L"Max";
        item.children.push_back(
            {L"[" + std::to_wstring(i + 1) + L"]Subtrees (" + min + L".." + max + L"):",
             {GeneralNameItem(t->base)}});
    }
    return item;
}

bool NameConstraints(const BYTE* v, std::size_t n, Items& out) {
    // OpenSSL declares no d2i function for this type, only its item.
    auto nc = DecodeWhole<NAME_CONSTRAINTS>(
        v, n,
        [](NAME_CONSTRAINTS** out, const unsigned char** p, long len) {
            return reinterpret_cast<NAME_CONSTRAINTS*>(ASN1_item_d2i(
                reinterpret_cast<ASN1_VALUE**>(out), p, len, ASN1_ITEM_rptr(NAME_CONSTRAINTS)));
        },
        [](NAME_CONSTRAINTS* x) { NAME_CONSTRAINTS_free(x); });
    if (!nc) {
        return false;
    }
    out.push_back(SubtreesItem(L"Permitted", nc->permittedSubtrees));
    out.push_back(SubtreesItem(L"Excluded", nc->excludedSubtrees));
    return true;
}

bool NetscapeComment(const BYTE* v, std::size_t n, Items& out) {
    auto text = VK_DECODE(ASN1_IA5STRING, v, n);
    if (!text) {
        return false;
    }
    out.push_back({StringText(text.get()), {}});
    return true;
}

std::wstring HexDump(const BYTE* p, std::size_t n) {
    std::wstring out;
    for (std::size_t row = 0; row < n; row += 16) {
        wchar_t offset[8];
        std::swprintf(offset, 8, L"%04zx", row);
        out += offset;
        out += L"  ";
        std::wstring ascii;
        for (std::size_t i = row; i < row + 16; ++i) {
            if (i < n) {
                out += Hex(p + i, 1) + L" ";
                ascii.push_back(p[i] >= 0x20 && p[i] < 0x7F ? static_cast<wchar_t>(p[i]) : L'.');
            } else {
                out += L"   ";
            }
        }
        out += L" " + ascii + L"\r\n";
    }
    return out;
}

bool Decode(const std::string& oid, const BYTE* v, std::size_t n, Items& out) {
    if (oid == "2.5.29.15") {
        return KeyUsage(v, n, out);
    }
    if (oid == "2.5.29.19") {
        return BasicConstraints(v, n, out);
    }
    if (oid == "2.5.29.14") {
        return SubjectKeyId(v, n, out);
    }
    if (oid == "2.5.29.35") {
        return AuthorityKeyId(v, n, out);
    }
    if (oid == "2.5.29.17" || oid == "2.5.29.18") {
        return AltName(v, n, out);
    }
    if (oid == "2.5.29.31" || oid == "2.5.29.46") {
        return CrlDistributionPoints(v, n, out);
    }
    if (oid == "1.3.6.1.5.5.7.1.1") {
        return InfoAccess(v, n, L"Authority Info Access", out);
    }
    if (oid == "1.3.6.1.5.5.7.1.11") {
        return InfoAccess(v, n, L"Subject Info Access", out);
    }
    if (oid == "2.5.29.32") {
        return CertificatePolicies(v, n, out);
    }
    if (oid == "2.5.29.37") {
        return EnhancedKeyUsage(v, n, out);
    }
    if (oid == "2.5.29.30") {
        return NameConstraints(v, n, out);
    }
    if (oid == "2.16.840.1.113730.1.1") {
        return NetscapeCertType(v, n, out);
    }
    if (oid == "2.16.840.1.113730.1.13") {
        return NetscapeComment(v, n, out);
    }
    return false;
}

}  // namespace

std::wstring ExtensionText(const std::string& oid, const BYTE* value, std::size_t size,
                           bool multiLine) {
    Items items;
    if (value && size && Decode(oid, value, size, items) && !items.empty()) {
        if (!multiLine) {
            return RenderOne(items);
        }
        std::wstring out;
        RenderMulti(items, 0, out);
        return out;
    }
    if (multiLine) {
        return HexDump(value, value ? size : 0);
    }
    return Hex(value, value ? size : 0);
}

}  // namespace vk::cert

BOOL CryptFormatObject(DWORD /*dwCertEncodingType*/, DWORD /*dwFormatType*/, DWORD dwFormatStrType,
                       void* /*pFormatStruct*/, LPCSTR lpszStructType, const BYTE* pbEncoded,
                       DWORD cbEncoded, void* pbFormat, DWORD* pcbFormat) {
    if (!pcbFormat || (!pbEncoded && cbEncoded)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Structure types given as small integers have no text of their own here.
    const bool named = reinterpret_cast<std::uintptr_t>(lpszStructType) > 0xFFFF;
    const std::wstring text =
        vk::cert::ExtensionText(named ? std::string(lpszStructType) : std::string(), pbEncoded,
                                cbEncoded, (dwFormatStrType & CRYPT_FORMAT_STR_MULTI_LINE) != 0);
    return vk::cert::BytesOutput(text.c_str(), (text.size() + 1) * sizeof(wchar_t), pbFormat,
                                 pcbFormat);
}
