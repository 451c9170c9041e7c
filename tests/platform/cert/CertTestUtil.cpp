#include "CertTestUtil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <span>

#include "platform/text/Hex.h"
#include "support/ChildProcess.h"

namespace certtest {

std::string Openssl(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"openssl"};
    argv.insert(argv.end(), args.begin(), args.end());
    auto child = vktest::ChildProcess::Exec(argv, true);
    std::string out = child.ReadAll();
    const int rc = child.Wait();
    EXPECT_EQ(rc, 0) << "openssl " << args.front() << " failed";
    return rc == 0 ? out : std::string();
}

std::vector<BYTE> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<BYTE> PemFileToDer(const std::filesystem::path& pem) {
    const auto der = pem.string() + ".der";
    Openssl({"x509", "-in", pem.string(), "-outform", "DER", "-out", der});
    return ReadFile(der);
}

MadeCert MakeCert(const std::filesystem::path& dir, const std::string& name,
                  const std::string& newkey, const std::string& subject,
                  const std::string& extensions, int days) {
    const auto key = (dir / (name + ".key")).string();
    const auto csr = (dir / (name + ".csr")).string();
    const auto pem = dir / (name + ".pem");
    std::vector<std::string> req{"req",   "-new",  "-nodes",  "-utf8", "-multivalue-rdn",
                                 "-subj", subject, "-keyout", key,     "-out",
                                 csr};
    if (newkey.rfind("ed", 0) == 0) {
        Openssl({"genpkey", "-algorithm", newkey, "-out", key});
        req = {"req", "-new", "-utf8", "-multivalue-rdn", "-subj", subject, "-key",
               key,   "-out", csr};
    } else if (newkey.rfind("ec:", 0) == 0) {
        req.insert(req.end(),
                   {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:" + newkey.substr(3)});
    } else {
        req.insert(req.end(), {"-newkey", newkey});
    }
    Openssl(req);
    std::vector<std::string> x509{"x509", "-req",      "-in",   csr,
                                  "-key", key,         "-days", std::to_string(days),
                                  "-out", pem.string()};
    if (!extensions.empty()) {
        const auto ext = (dir / (name + ".ext")).string();
        std::ofstream(ext) << "[v3]\n" << extensions;
        x509.insert(x509.end(), {"-extfile", ext, "-extensions", "v3"});
    }
    Openssl(x509);
    return {PemFileToDer(pem), pem};
}

ContextPtr Context(const std::vector<BYTE>& der) {
    return ContextPtr(CertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                   der.data(), static_cast<DWORD>(der.size())));
}

std::wstring NameString(const CERT_NAME_BLOB& name, DWORD type) {
    const DWORD size = CertNameToStrW(X509_ASN_ENCODING, &name, type, nullptr, 0);
    std::wstring text(size, L'\0');
    const DWORD written = CertNameToStrW(X509_ASN_ENCODING, &name, type, text.data(), size);
    EXPECT_EQ(written, size);
    text.resize(written ? written - 1 : 0);
    return text;
}

std::vector<std::pair<std::string, std::wstring>> Attributes(const CERT_NAME_BLOB& name) {
    DWORD size = 0;
    EXPECT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, X509_NAME, name.pbData, name.cbData, 0,
                                  nullptr, &size));
    std::vector<std::max_align_t> buf(size / sizeof(std::max_align_t) + 1);
    EXPECT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, X509_NAME, name.pbData, name.cbData, 0,
                                  buf.data(), &size));
    const auto* info = reinterpret_cast<const CERT_NAME_INFO*>(buf.data());
    std::vector<std::pair<std::string, std::wstring>> out;
    for (const CERT_RDN& rdn : std::span(info->rgRDN, info->cRDN)) {
        for (const CERT_RDN_ATTR& a : std::span(rdn.rgRDNAttr, rdn.cRDNAttr)) {
            const DWORD n = CertRDNValueToStrW(a.dwValueType, &a.Value, nullptr, 0);
            std::wstring text(n, L'\0');
            EXPECT_EQ(CertRDNValueToStrW(a.dwValueType, &a.Value, text.data(), n), n);
            text.resize(n - 1);
            out.emplace_back(a.pszObjId, std::move(text));
        }
    }
    return out;
}

std::wstring Format(const CERT_EXTENSION& ext, bool multiLine) {
    DWORD bytes = 0;
    const DWORD flags = multiLine ? CRYPT_FORMAT_STR_MULTI_LINE : 0;
    if (!CryptFormatObject(X509_ASN_ENCODING, 0, flags, nullptr, ext.pszObjId, ext.Value.pbData,
                           ext.Value.cbData, nullptr, &bytes)) {
        return L"<failed>";
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (!CryptFormatObject(X509_ASN_ENCODING, 0, flags, nullptr, ext.pszObjId, ext.Value.pbData,
                           ext.Value.cbData, text.data(), &bytes)) {
        return L"<failed>";
    }
    text.resize(bytes / sizeof(wchar_t) - 1);
    return text;
}

const CERT_EXTENSION* FindExtension(PCCERT_CONTEXT context, const char* oid) {
    const CERT_INFO* info = context->pCertInfo;
    for (DWORD i = 0; i < info->cExtension; ++i) {
        if (std::string(info->rgExtension[i].pszObjId) == oid) {
            return &info->rgExtension[i];
        }
    }
    return nullptr;
}

std::string Hex(const std::vector<BYTE>& bytes, const char* sep, bool upper) {
    return HexText(bytes, upper ? HexCase::Upper : HexCase::Lower, sep);
}

std::vector<BYTE> Hash(PCCERT_CONTEXT context, ALG_ID alg) {
    DWORD size = 0;
    EXPECT_TRUE(CryptHashCertificate(0, alg, 0, context->pbCertEncoded, context->cbCertEncoded,
                                     nullptr, &size));
    std::vector<BYTE> hash(size);
    EXPECT_TRUE(CryptHashCertificate(0, alg, 0, context->pbCertEncoded, context->cbCertEncoded,
                                     hash.data(), &size));
    return hash;
}

}  // namespace certtest
