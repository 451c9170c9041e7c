#include "platform/cert/CertFields.h"

#include <algorithm>

#include "platform/cert/DerReader.h"
#include "platform/cert/FlatArena.h"
#include "platform/cert/NameFields.h"
#include "platform/errors/WinError.h"

namespace vk::cert {

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool Digits(const BYTE* p, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') {
            return false;
        }
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

unsigned DaysInMonth(int year, int month) {
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool ReadAlgorithm(DerReader& reader, std::string& oid, ByteView& params) {
    DerElement seq;
    DerElement id;
    if (!reader.Expect(kTagSequence, seq)) {
        return false;
    }
    DerReader inner(seq);
    if (!inner.Expect(kTagOid, id)) {
        return false;
    }
    auto text = OidToText(id.contents, id.length);
    if (!text) {
        return false;
    }
    oid = std::move(*text);
    params = {};
    DerElement p;
    if (!inner.AtEnd()) {
        if (!inner.Next(p) || !inner.AtEnd()) {
            return false;
        }
        params = {p.whole, p.wholeLength};
    }
    return true;
}

bool ReadBitString(const DerElement& e, ByteView& bits, DWORD& unused) {
    if (e.length == 0 || e.contents[0] > 7 || (e.length == 1 && e.contents[0] != 0)) {
        return false;
    }
    unused = e.contents[0];
    bits = {e.contents + 1, e.length - 1};
    return true;
}

bool ReadTime(DerReader& reader, FILETIME& out) {
    DerElement e;
    if (!reader.Next(e) || (e.tag != kTagUtcTime && e.tag != kTagGeneralizedTime)) {
        return false;
    }
    auto t = ParseAsn1Time(e.tag, e.contents, e.length);
    if (!t) {
        return false;
    }
    out = *t;
    return true;
}

bool ReadName(DerReader& reader, ByteView& out) {
    DerElement e;
    if (!reader.Expect(kTagSequence, e) || !SplitName(e.whole, e.wholeLength)) {
        return false;
    }
    out = {e.whole, e.wholeLength};
    return true;
}

bool ReadExtensions(const DerElement& explicitTag, std::vector<ExtensionFields>& out) {
    DerReader outer(explicitTag);
    DerElement list;
    if (!outer.Expect(kTagSequence, list) || !outer.AtEnd()) {
        return false;
    }
    DerReader items(list);
    while (!items.AtEnd()) {
        DerElement ext;
        DerElement id;
        DerElement value;
        if (!items.Expect(kTagSequence, ext)) {
            return false;
        }
        DerReader fields(ext);
        if (!fields.Expect(kTagOid, id)) {
            return false;
        }
        auto oid = OidToText(id.contents, id.length);
        if (!oid) {
            return false;
        }
        ExtensionFields f;
        f.oid = std::move(*oid);
        DerElement crit;
        if (fields.Expect(kTagBoolean, crit)) {
            if (crit.length != 1) {
                return false;
            }
            f.critical = crit.contents[0] != 0;
        }
        if (!fields.Expect(kTagOctetString, value) || !fields.AtEnd()) {
            return false;
        }
        f.value = {value.contents, value.length};
        out.push_back(std::move(f));
    }
    return true;
}

bool SplitToBeSigned(const DerElement& tbs, CertFields& f) {
    DerReader r(tbs);
    DerElement e;
    if (r.PeekTag() == 0xA0) {
        r.Next(e);
        DerReader v(e);
        DerElement n;
        if (!v.Expect(kTagInteger, n) || !v.AtEnd() || n.length != 1 || n.contents[0] > 2) {
            return false;
        }
        f.version = n.contents[0];
    }
    if (!r.Expect(kTagInteger, e) || e.length == 0) {
        return false;
    }
    f.serial = {e.contents, e.length};
    if (!ReadAlgorithm(r, f.signatureOid, f.signatureParams) || !ReadName(r, f.issuer)) {
        return false;
    }
    DerElement validity;
    if (!r.Expect(kTagSequence, validity)) {
        return false;
    }
    DerReader times(validity);
    if (!ReadTime(times, f.notBefore) || !ReadTime(times, f.notAfter) || !times.AtEnd()) {
        return false;
    }
    if (!ReadName(r, f.subject)) {
        return false;
    }
    DerElement spki;
    if (!r.Expect(kTagSequence, spki)) {
        return false;
    }
    DerReader key(spki);
    DerElement bits;
    if (!ReadAlgorithm(key, f.publicKeyOid, f.publicKeyParams) ||
        !key.Expect(kTagBitString, bits) || !key.AtEnd() ||
        !ReadBitString(bits, f.publicKey, f.publicKeyUnusedBits)) {
        return false;
    }
    if (r.PeekTag() == 0x81) {
        r.Next(e);
        if (!ReadBitString(e, f.issuerUid, f.issuerUidUnusedBits)) {
            return false;
        }
    }
    if (r.PeekTag() == 0x82) {
        r.Next(e);
        if (!ReadBitString(e, f.subjectUid, f.subjectUidUnusedBits)) {
            return false;
        }
    }
    if (r.PeekTag() == 0xA3) {
        r.Next(e);
        if (!ReadExtensions(e, f.extensions)) {
            return false;
        }
    }
    return r.AtEnd();
}

}  // namespace

std::optional<FILETIME> ParseAsn1Time(std::uint8_t tag, const BYTE* text, std::size_t size) {
    int year = 0;
    std::size_t pos = 0;
    if (tag == kTagUtcTime) {
        if (size < 11 || !Digits(text, 2, year)) {
            return std::nullopt;
        }
        year += year < 50 ? 2000 : 1900;
        pos = 2;
    } else {
        if (size < 13 || !Digits(text, 4, year)) {
            return std::nullopt;
        }
        pos = 4;
    }
    int month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text + pos, 2, month) || !Digits(text + pos + 2, 2, day) ||
        !Digits(text + pos + 4, 2, hour) || !Digits(text + pos + 6, 2, minute)) {
        return std::nullopt;
    }
    pos += 8;
    if (pos + 2 <= size && text[pos] >= '0' && text[pos] <= '9') {
        if (!Digits(text + pos, 2, second)) {
            return std::nullopt;
        }
        pos += 2;
    }
    std::int64_t fraction100ns = 0;
    if (tag == kTagGeneralizedTime && pos < size && (text[pos] == '.' || text[pos] == ',')) {
        ++pos;
        std::int64_t scale = 1000000;
        const std::size_t start = pos;
        while (pos < size && text[pos] >= '0' && text[pos] <= '9') {
            fraction100ns += (text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start) {
            return std::nullopt;
        }
    }
    int offsetMinutes = 0;
    if (pos < size && text[pos] == 'Z') {
        ++pos;
    } else if (pos + 5 == size && (text[pos] == '+' || text[pos] == '-')) {
        int oh = 0, om = 0;
        if (!Digits(text + pos + 1, 2, oh) || !Digits(text + pos + 3, 2, om) || oh > 23 ||
            om > 59) {
            return std::nullopt;
        }
        offsetMinutes = (oh * 60 + om) * (text[pos] == '+' ? 1 : -1);
        pos += 5;
    } else {
        return std::nullopt;
    }
    if (pos != size || month < 1 || month > 12 || day < 1 ||
        static_cast<unsigned>(day) > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 60 || year < 1601) {
        return std::nullopt;
    }
    const std::int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        DaysFromCivil(1601, 1, 1);
    const std::int64_t seconds =
        days * 86400 + hour * 3600 + minute * 60 + std::min(second, 59) - offsetMinutes * 60;
    if (seconds < 0) {
        return std::nullopt;
    }
    const auto ticks = static_cast<std::uint64_t>(seconds) * 10000000ULL +
                       static_cast<std::uint64_t>(fraction100ns);
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

std::optional<CertFields> SplitCertificate(const BYTE* data, std::size_t size, bool requireSigned,
                                           DWORD* error) {
    *error = CRYPT_E_ASN1_BADTAG;
    if (!data || size == 0) {
        *error = CRYPT_E_ASN1_EOD;
        return std::nullopt;
    }
    DerReader top(data, size);
    DerElement outer;
    if (!top.Expect(kTagSequence, outer)) {
        return std::nullopt;
    }
    if (!top.AtEnd()) {
        *error = CRYPT_E_ASN1_CORRUPT;  // bytes after the certificate
        return std::nullopt;
    }
    CertFields f;
    DerReader body(outer);
    DerElement tbs = outer;
    if (body.PeekTag() == kTagSequence) {
        // A signed certificate: to-be-signed part, signature algorithm, signature.
        DerElement alg;
        DerElement sig;
        if (!body.Next(tbs) || !body.Expect(kTagSequence, alg) ||
            !body.Expect(kTagBitString, sig) || !body.AtEnd()) {
            *error = CRYPT_E_ASN1_CORRUPT;
            return std::nullopt;
        }
        f.certificate = {outer.whole, outer.wholeLength};
    } else if (requireSigned) {
        return std::nullopt;
    }
    if (!SplitToBeSigned(tbs, f)) {
        *error = CRYPT_E_ASN1_CORRUPT;
        return std::nullopt;
    }
    *error = 0;
    return f;
}

CERT_INFO* LayOutCertInfo(const CertFields& f, FlatArena& arena) {
    auto* info = arena.New<CERT_INFO>();
    auto blob = [&arena](CRYPTOAPI_BLOB& out, ByteView in) {
        out.cbData = static_cast<DWORD>(in.size);
        out.pbData = arena.Copy(in.data, in.size);
    };
    auto bits = [&arena](CRYPT_BIT_STRING_BLOB& out, ByteView in, DWORD unused) {
        out.cbData = static_cast<DWORD>(in.size);
        out.pbData = arena.Copy(in.data, in.size);
        out.cUnusedBits = unused;
    };
    info->dwVersion = f.version;
    info->SerialNumber.cbData = static_cast<DWORD>(f.serial.size);
    info->SerialNumber.pbData = arena.Copy(f.serial.data, f.serial.size);
    std::reverse(info->SerialNumber.pbData, info->SerialNumber.pbData + f.serial.size);
    info->SignatureAlgorithm.pszObjId = arena.CopyString(f.signatureOid);
    blob(info->SignatureAlgorithm.Parameters, f.signatureParams);
    blob(info->Issuer, f.issuer);
    info->NotBefore = f.notBefore;
    info->NotAfter = f.notAfter;
    blob(info->Subject, f.subject);
    info->SubjectPublicKeyInfo.Algorithm.pszObjId = arena.CopyString(f.publicKeyOid);
    blob(info->SubjectPublicKeyInfo.Algorithm.Parameters, f.publicKeyParams);
    bits(info->SubjectPublicKeyInfo.PublicKey, f.publicKey, f.publicKeyUnusedBits);
    bits(info->IssuerUniqueId, f.issuerUid, f.issuerUidUnusedBits);
    bits(info->SubjectUniqueId, f.subjectUid, f.subjectUidUnusedBits);
    info->cExtension = static_cast<DWORD>(f.extensions.size());
    info->rgExtension =
        f.extensions.empty() ? nullptr : arena.NewArray<CERT_EXTENSION>(f.extensions.size());
    for (std::size_t i = 0; i < f.extensions.size(); ++i) {
        CERT_EXTENSION& e = info->rgExtension[i];
        e.pszObjId = arena.CopyString(f.extensions[i].oid);
        e.fCritical = f.extensions[i].critical ? TRUE : FALSE;
        blob(e.Value, f.extensions[i].value);
    }
    return info;
}

}  // namespace vk::cert
