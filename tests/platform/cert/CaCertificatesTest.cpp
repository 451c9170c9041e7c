// Every certificate of Debian's ca-certificates read by our certificate
// functions: signature algorithm names against OpenSSL's, and every extension
// has a text in both forms (the common ones decoded, not shown as hex). Names,
// thumbprints, dates and serials of the same certificates are compared with
// OpenSSL through vkcert-cli in tests/tools; exact extension texts are in
// CertMadeTest.cpp.
#include <openssl/pem.h>  // before CertApi.h: X509_NAME
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "CertTestUtil.h"
#include "platform/errors/LastError.h"
#include "platform/text/Utf.h"

namespace {

namespace fs = std::filesystem;

// OpenSSL's long names of signature algorithms and the platform's names.
const std::map<std::string, std::wstring> kSignatureNames = {
    {"sha1WithRSAEncryption", L"sha1RSA"},     {"sha256WithRSAEncryption", L"sha256RSA"},
    {"sha384WithRSAEncryption", L"sha384RSA"}, {"sha512WithRSAEncryption", L"sha512RSA"},
    {"md5WithRSAEncryption", L"md5RSA"},       {"md2WithRSAEncryption", L"md2RSA"},
    {"ecdsa-with-SHA256", L"sha256ECDSA"},     {"ecdsa-with-SHA384", L"sha384ECDSA"},
    {"ecdsa-with-SHA512", L"sha512ECDSA"},     {"ecdsa-with-SHA1", L"sha1ECDSA"}};

const char* const kCommonExtensions[] = {"2.5.29.14", "2.5.29.15",        "2.5.29.17", "2.5.29.19",
                                         "2.5.29.30", "2.5.29.31",        "2.5.29.32", "2.5.29.35",
                                         "2.5.29.37", "1.3.6.1.5.5.7.1.1"};

TEST(CaCertificates, AlgorithmsAndExtensionsHaveTheirTexts) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/etc/ssl/certs", ec)) {
        if (e.path().extension() == ".pem" && fs::is_regular_file(e.path())) {
            files.push_back(e.path());
        }
    }
    if (files.empty()) {
        GTEST_SKIP() << "ca-certificates is not installed";
    }
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        const std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(file.c_str(), "rb"), &std::fclose);
        const std::unique_ptr<X509, void (*)(X509*)> x509(
            f ? PEM_read_X509(f.get(), nullptr, nullptr, nullptr) : nullptr, &X509_free);
        ASSERT_TRUE(x509);
        unsigned char* buf = nullptr;
        const int len = i2d_X509(x509.get(), &buf);
        auto ctx = certtest::Context(std::vector<BYTE>(buf, buf + std::max(len, 0)));
        OPENSSL_free(buf);
        ASSERT_TRUE(ctx) << std::hex << GetLastError();
        const CERT_INFO* info = ctx->pCertInfo;

        const std::string sig = OBJ_nid2ln(X509_get_signature_nid(x509.get()));
        ASSERT_TRUE(kSignatureNames.count(sig)) << sig;
        PCCRYPT_OID_INFO alg = CryptFindOIDInfo(
            CRYPT_OID_INFO_OID_KEY, info->SignatureAlgorithm.pszObjId, CRYPT_SIGN_ALG_OID_GROUP_ID);
        EXPECT_EQ(alg ? alg->pwszName : L"", kSignatureNames.at(sig));

        for (DWORD i = 0; i < info->cExtension; ++i) {
            const CERT_EXTENSION& ext = info->rgExtension[i];
            SCOPED_TRACE(ext.pszObjId);
            const std::wstring one = certtest::Format(ext, false);
            const std::wstring multi = certtest::Format(ext, true);
            EXPECT_FALSE(one.empty());
            EXPECT_NE(one, L"<failed>");
            EXPECT_EQ(one.find(L"\n"), std::wstring::npos);
            ASSERT_GE(multi.size(), 2u);
            EXPECT_EQ(multi.substr(multi.size() - 2), L"\r\n");
            // Undecodable values fall back to hex; the common extensions must decode.
            if (std::find_if(std::begin(kCommonExtensions), std::end(kCommonExtensions),
                             [&](const char* oid) { return std::string(oid) == ext.pszObjId; }) !=
                std::end(kCommonExtensions)) {
                EXPECT_TRUE(CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, ext.pszObjId, 0));
                const std::vector<BYTE> value(ext.Value.pbData,
                                              ext.Value.pbData + ext.Value.cbData);
                EXPECT_NE(WideToUtf8(one), certtest::Hex(value)) << "shown as hex";
            }
        }
    }
}

}  // namespace
