// Every certificate of Debian's ca-certificates, read by our certificate
// functions and compared with what the openssl command says of it: names in
// both forms with their keys and quoting, signature algorithm names, the key
// usage, basic constraints and subject key identifier texts, and that every
// extension has a text in both forms (the common ones decoded, with captions).
// Thumbprints, dates and serials of the same certificates are compared through
// vkcert-cli in tests/tools; made certificates are in CertMadeTest.cpp.
#include <openssl/pem.h>  // before CertApi.h: X509_NAME
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <sstream>

#include "CertTestUtil.h"
#include "platform/errors/LastError.h"
#include "platform/text/Utf.h"

namespace {

namespace fs = std::filesystem;
using certtest::Hex;

// The attribute key of the X.500 name strings for an identifier.
std::string KeyOf(const std::string& oid) {
    static const std::string table =
        " 2.5.4.3=CN 2.5.4.6=C 2.5.4.7=L 2.5.4.8=S 2.5.4.9=STREET 2.5.4.10=O 2.5.4.11=OU 2.5.4.12=T"
        " 2.5.4.42=G 2.5.4.43=I 2.5.4.4=SN 1.2.840.113549.1.9.1=E 0.9.2342.19200300.100.1.25=DC"
        " 2.5.4.5=SERIALNUMBER 2.5.4.17=PostalCode 2.5.4.13=Description ";
    const auto at = table.find(" " + oid + "=");
    if (at == std::string::npos) {
        return "OID." + oid;
    }
    const auto start = at + oid.size() + 2;
    return table.substr(start, table.find(' ', start) - start);
}

// openssl's long names of signature algorithms and the platform's names.
const std::map<std::string, std::wstring> kSignatureNames = {
    {"sha1WithRSAEncryption", L"sha1RSA"},     {"sha256WithRSAEncryption", L"sha256RSA"},
    {"sha384WithRSAEncryption", L"sha384RSA"}, {"sha512WithRSAEncryption", L"sha512RSA"},
    {"md5WithRSAEncryption", L"md5RSA"},       {"md2WithRSAEncryption", L"md2RSA"},
    {"ecdsa-with-SHA256", L"sha256ECDSA"},     {"ecdsa-with-SHA384", L"sha384ECDSA"},
    {"ecdsa-with-SHA512", L"sha512ECDSA"},     {"ecdsa-with-SHA1", L"sha1ECDSA"}};

// openssl's key usage names where the platform's differ.
const std::map<std::string, std::string> kUsageNames = {
    {"Non Repudiation", "Non-Repudiation"},
    {"Certificate Sign", "Certificate Signing"},
    {"CRL Sign", "Off-line CRL Signing, CRL Signing"}};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    const auto e = s.find_last_not_of(" \r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The lines of "subject=" or "issuer=" in sep_multiline form: one name per line.
std::vector<std::string> NameLines(const std::vector<std::string>& lines, const std::string& head) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == head) {
            for (++i; i < lines.size() && lines[i].rfind("    ", 0) == 0; ++i) {
                out.push_back(lines[i].substr(4));
            }
            break;
        }
    }
    return out;
}

// The strings our two name forms should give for openssl's lines.
void ExpectedNames(const std::vector<std::string>& rdns, std::string& simple, std::string& x500) {
    simple.clear();
    x500.clear();
    for (std::size_t i = 0; i < rdns.size(); ++i) {
        std::string simpleRdn;
        std::string x500Rdn;
        std::size_t start = 0;
        for (bool first = true;; first = false) {
            std::size_t end = rdns[i].find(" + ", start);
            // A " + " counts as a joiner only when an identifier follows it.
            while (end != std::string::npos &&
                   !std::isdigit(static_cast<unsigned char>(rdns[i][end + 3]))) {
                end = rdns[i].find(" + ", end + 3);
            }
            const std::string attr = rdns[i].substr(start, end - start);
            const auto eq = attr.find('=');
            const std::string oid = attr.substr(0, eq);
            std::string value = attr.substr(eq + 1);
            std::string quoted = value;
            if (!value.empty() && (value.find_first_of(",+=\"\r\n<>#;") != std::string::npos ||
                                   value.front() == ' ' || value.back() == ' ')) {
                quoted = "\"";
                for (char c : value) {
                    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
                }
                quoted += "\"";
            }
            simpleRdn += (first ? "" : " + ") + quoted;
            x500Rdn += (first ? "" : " + ") + KeyOf(oid) + "=" + value;
            if (end == std::string::npos) {
                break;
            }
            start = end + 3;
        }
        simple += (i ? ", " : "") + simpleRdn;
        x500 = x500Rdn + (i ? "\r\n" : "") + x500;  // reversed
    }
}

std::string Field(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& line : lines) {
        if (line.rfind(prefix, 0) == 0) {
            return line.substr(prefix.size());
        }
    }
    return {};
}

// The value line below an extension's header line of "openssl x509 -ext".
std::string ExtValue(const std::vector<std::string>& lines, const std::string& header) {
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].rfind(header, 0) == 0) {
            return Trim(lines[i + 1]);
        }
    }
    return {};
}

std::vector<fs::path> CaFiles() {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/etc/ssl/certs", ec)) {
        if (e.path().extension() == ".pem" && fs::is_regular_file(e.path())) {
            files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<BYTE> DerOfPem(const fs::path& file) {
    std::vector<BYTE> der;
    BIO* bio = BIO_new_file(file.c_str(), "r");
    X509* x = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    unsigned char* buf = nullptr;
    const int len = x ? i2d_X509(x, &buf) : 0;
    if (len > 0) {
        der.assign(buf, buf + len);
    }
    OPENSSL_free(buf);
    X509_free(x);
    BIO_free(bio);
    return der;
}

const char* const kCommonExtensions[] = {"2.5.29.14", "2.5.29.15",        "2.5.29.17", "2.5.29.19",
                                         "2.5.29.30", "2.5.29.31",        "2.5.29.32", "2.5.29.35",
                                         "2.5.29.37", "1.3.6.1.5.5.7.1.1"};

TEST(CaCertificates, NamesAlgorithmsAndExtensionsMatchOpenssl) {
    const auto files = CaFiles();
    if (files.empty()) {
        GTEST_SKIP() << "ca-certificates is not installed";
    }
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        const auto der = DerOfPem(file);
        auto ctx = certtest::Context(der);
        ASSERT_TRUE(ctx) << std::hex << GetLastError();
        const CERT_INFO* info = ctx->pCertInfo;

        const auto facts = Lines(certtest::Openssl(
            {"x509", "-in", file.string(), "-noout", "-subject", "-issuer", "-nameopt",
             "utf8,sep_multiline,oid", "-ext", "subjectKeyIdentifier,basicConstraints,keyUsage",
             "-text", "-certopt",
             "no_header,no_version,no_serial,no_subject,no_issuer,no_validity,no_pubkey,"
             "no_extensions,no_sigdump,no_aux"}));

        for (const char* which : {"subject=", "issuer="}) {
            std::string simple;
            std::string x500;
            ExpectedNames(NameLines(facts, which), simple, x500);
            const CERT_NAME_BLOB& blob = which[0] == 's' ? info->Subject : info->Issuer;
            EXPECT_EQ(WideToUtf8(certtest::NameString(blob, CERT_SIMPLE_NAME_STR)), simple);
            EXPECT_EQ(WideToUtf8(certtest::NameString(blob, 0x1A000003)), x500);
        }

        const std::string sig = Trim(Field(facts, "        Signature Algorithm:"));
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
            for (const char* common : kCommonExtensions) {
                if (std::string(common) == ext.pszObjId) {
                    EXPECT_TRUE(CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, ext.pszObjId, 0));
                    const std::vector<BYTE> value(ext.Value.pbData,
                                                  ext.Value.pbData + ext.Value.cbData);
                    EXPECT_NE(WideToUtf8(one), Hex(value)) << "shown as hex";
                }
            }
        }
        if (auto* ski = certtest::FindExtension(ctx.get(), "2.5.29.14")) {
            std::string expected = ExtValue(facts, "X509v3 Subject Key Identifier");
            for (char& c : expected) {
                c = c == ':' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            EXPECT_EQ(WideToUtf8(certtest::Format(*ski, false)), expected);
        }
        if (auto* bc = certtest::FindExtension(ctx.get(), "2.5.29.19")) {
            const std::string value = ExtValue(facts, "X509v3 Basic Constraints");
            const auto path = value.find("pathlen:");
            const std::string expected =
                std::string(value.rfind("CA:TRUE", 0) == 0 ? "Subject Type=CA"
                                                           : "Subject Type=End Entity") +
                ", Path Length Constraint=" +
                (path == std::string::npos ? "None" : value.substr(path + 8));
            EXPECT_EQ(WideToUtf8(certtest::Format(*bc, false)), expected);
        }
        if (auto* ku = certtest::FindExtension(ctx.get(), "2.5.29.15")) {
            std::string expected;
            std::istringstream names(ExtValue(facts, "X509v3 Key Usage"));
            for (std::string name; std::getline(names, name, ',');) {
                const auto usage = kUsageNames.find(Trim(name));
                expected += (expected.empty() ? "" : ", ") +
                            (usage == kUsageNames.end() ? Trim(name) : usage->second);
            }
            const std::string text = WideToUtf8(certtest::Format(*ku, false));
            EXPECT_EQ(text.substr(0, text.rfind(" (")), expected);
        }
    }
}

}  // namespace
