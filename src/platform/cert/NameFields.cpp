#include "platform/cert/NameFields.h"

#include "platform/cert/DerReader.h"
#include "platform/cert/FlatArena.h"

namespace vk::cert {

namespace {

// The value type of a string tag; CERT_RDN_ENCODED_BLOB for anything else.
DWORD ValueTypeOfTag(std::uint8_t tag) {
    switch (tag) {
        case 0x04:
            return CERT_RDN_OCTET_STRING;
        case 0x0C:
            return CERT_RDN_UTF8_STRING;
        case 0x12:
            return CERT_RDN_NUMERIC_STRING;
        case 0x13:
            return CERT_RDN_PRINTABLE_STRING;
        case 0x14:
            return CERT_RDN_TELETEX_STRING;
        case 0x15:
            return CERT_RDN_VIDEOTEX_STRING;
        case 0x16:
            return CERT_RDN_IA5_STRING;
        case 0x19:
            return CERT_RDN_GRAPHIC_STRING;
        case 0x1A:
            return CERT_RDN_VISIBLE_STRING;
        case 0x1B:
            return CERT_RDN_GENERAL_STRING;
        case 0x1C:
            return CERT_RDN_UNIVERSAL_STRING;
        case 0x1E:
            return CERT_RDN_BMP_STRING;
        default:
            return CERT_RDN_ENCODED_BLOB;
    }
}

}  // namespace

std::optional<NameFieldsList> SplitName(const BYTE* data, std::size_t size) {
    if (!data) {
        return std::nullopt;
    }
    DerReader top(data, size);
    DerElement name;
    if (!top.Expect(kTagSequence, name) || !top.AtEnd()) {
        return std::nullopt;
    }
    NameFieldsList out;
    DerReader rdns(name);
    while (!rdns.AtEnd()) {
        DerElement set;
        if (!rdns.Expect(kTagSet, set)) {
            return std::nullopt;
        }
        NameRdn rdn;
        DerReader attrs(set);
        while (!attrs.AtEnd()) {
            DerElement atv;
            DerElement id;
            DerElement value;
            if (!attrs.Expect(kTagSequence, atv)) {
                return std::nullopt;
            }
            DerReader fields(atv);
            if (!fields.Expect(kTagOid, id) || !fields.Next(value) || !fields.AtEnd()) {
                return std::nullopt;
            }
            auto oid = OidToText(id.contents, id.length);
            if (!oid) {
                return std::nullopt;
            }
            NameAttribute a;
            a.oid = std::move(*oid);
            a.valueType = ValueTypeOfTag(value.tag);
            a.value = a.valueType == CERT_RDN_ENCODED_BLOB
                          ? ByteView{value.whole, value.wholeLength}
                          : ByteView{value.contents, value.length};
            rdn.push_back(std::move(a));
        }
        if (rdn.empty()) {
            return std::nullopt;  // SET SIZE (1..MAX)
        }
        out.push_back(std::move(rdn));
    }
    return out;
}

CERT_NAME_INFO* LayOutNameInfo(const NameFieldsList& name, FlatArena& arena) {
    auto* info = arena.New<CERT_NAME_INFO>();
    info->cRDN = static_cast<DWORD>(name.size());
    info->rgRDN = name.empty() ? nullptr : arena.NewArray<CERT_RDN>(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        CERT_RDN& rdn = info->rgRDN[i];
        rdn.cRDNAttr = static_cast<DWORD>(name[i].size());
        rdn.rgRDNAttr = arena.NewArray<CERT_RDN_ATTR>(name[i].size());
        for (std::size_t j = 0; j < name[i].size(); ++j) {
            const NameAttribute& a = name[i][j];
            CERT_RDN_ATTR& out = rdn.rgRDNAttr[j];
            out.pszObjId = arena.CopyString(a.oid);
            out.dwValueType = a.valueType;
            out.Value.cbData = static_cast<DWORD>(a.value.size);
            out.Value.pbData = arena.Copy(a.value.data, a.value.size);
        }
    }
    return info;
}

}  // namespace vk::cert
