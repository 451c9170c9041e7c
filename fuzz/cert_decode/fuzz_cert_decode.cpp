// Certificate decoding on arbitrary bytes: the context, both name forms of
// issuer and subject, the decoded name attributes, the texts of every
// extension, the RSA key blob, and the decoders run on the raw input too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cert/CertApi.h"

namespace {

constexpr DWORD kEnc = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

void Name(const CERT_NAME_BLOB& name) {
    for (DWORD type : {CERT_SIMPLE_NAME_STR, DWORD{0x1A000003}, CERT_OID_NAME_STR}) {
        const DWORD size = CertNameToStrW(kEnc, &name, type, nullptr, 0);
        std::vector<wchar_t> text(size + 1);
        CertNameToStrW(kEnc, &name, type, text.data(), size);
    }
    DWORD size = 0;
    if (!CryptDecodeObject(kEnc, CERT_X509_NAME_STRUCT, name.pbData, name.cbData, 0, nullptr,
                           &size)) {
        return;
    }
    std::vector<std::max_align_t> buf(size / sizeof(std::max_align_t) + 1);
    if (!CryptDecodeObject(kEnc, CERT_X509_NAME_STRUCT, name.pbData, name.cbData, 0, buf.data(),
                           &size)) {
        __builtin_trap();  // the size answered must be enough
    }
    const auto* info = reinterpret_cast<const CERT_NAME_INFO*>(buf.data());
    for (DWORD i = 0; i < info->cRDN; ++i) {
        for (DWORD j = 0; j < info->rgRDN[i].cRDNAttr; ++j) {
            const CERT_RDN_ATTR& a = info->rgRDN[i].rgRDNAttr[j];
            std::vector<wchar_t> text(CertRDNValueToStrW(a.dwValueType, &a.Value, nullptr, 0));
            CertRDNValueToStrW(a.dwValueType, &a.Value, text.data(),
                               static_cast<DWORD>(text.size()));
        }
    }
}

void Format(const char* oid, const BYTE* data, DWORD size) {
    for (DWORD flags : {DWORD{0}, CRYPT_FORMAT_STR_MULTI_LINE}) {
        DWORD bytes = 0;
        if (CryptFormatObject(kEnc, 0, flags, nullptr, oid, data, size, nullptr, &bytes)) {
            std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1);
            CryptFormatObject(kEnc, 0, flags, nullptr, oid, data, size, text.data(), &bytes);
        }
    }
}

void Decode(LPCSTR type, const BYTE* data, DWORD size) {
    DWORD needed = 0;
    if (CryptDecodeObject(kEnc, type, data, size, 0, nullptr, &needed)) {
        std::vector<std::max_align_t> buf(needed / sizeof(std::max_align_t) + 1);
        CryptDecodeObject(kEnc, type, data, size, 0, buf.data(), &needed);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto len = static_cast<DWORD>(size);
    Decode(X509_CERT_TO_BE_SIGNED, data, len);
    Decode(CERT_X509_NAME_STRUCT, data, len);
    Decode(RSA_CSP_PUBLICKEYBLOB, data, len);
    static const char* const kExtensions[] = {"2.5.29.15",
                                              "2.5.29.19",
                                              "2.5.29.14",
                                              "2.5.29.35",
                                              "2.5.29.17",
                                              "2.5.29.31",
                                              "1.3.6.1.5.5.7.1.1",
                                              "2.5.29.32",
                                              "2.5.29.37",
                                              "2.5.29.30",
                                              "2.16.840.1.113730.1.1",
                                              "2.16.840.1.113730.1.13",
                                              "1.2.3"};
    if (size < 2048) {
        for (const char* oid : kExtensions) {
            Format(oid, data, len);
        }
    }

    PCCERT_CONTEXT ctx = CertCreateCertificateContext(kEnc, data, len);
    if (!ctx) {
        return 0;
    }
    const CERT_INFO* info = ctx->pCertInfo;
    Name(info->Issuer);
    Name(info->Subject);
    for (DWORD i = 0; i < info->cExtension; ++i) {
        Format(info->rgExtension[i].pszObjId, info->rgExtension[i].Value.pbData,
               info->rgExtension[i].Value.cbData);
    }
    Decode(RSA_CSP_PUBLICKEYBLOB, info->SubjectPublicKeyInfo.PublicKey.pbData,
           info->SubjectPublicKeyInfo.PublicKey.cbData);
    BYTE hash[20];
    DWORD hashSize = sizeof hash;
    CryptHashCertificate(0, CALG_SHA1, 0, ctx->pbCertEncoded, ctx->cbCertEncoded, hash, &hashSize);
    CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, info->SignatureAlgorithm.pszObjId, 0);
    CertFreeCertificateContext(ctx);
    return 0;
}
