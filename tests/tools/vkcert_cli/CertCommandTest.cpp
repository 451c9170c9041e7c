// vkcert-cli cert, the real program: every CA certificate of ca-certificates against what OpenSSL
// says of it (rows, their order, serial, names, validity under TZ=UTC, RSA key, thumbprints); DER
// and Base64 files, escaping that keeps a row on one line, the interface language read but never
// written, files that are not certificates. Icons, local times and extension texts are the
// certificate row tests'.
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "CertTestUtil.h"
#include "CliRun.h"
#include "support/TempWorld.h"

namespace {

namespace fs = std::filesystem;

using clitest::Result;
using clitest::Split;

// Runs vkcert-cli with extra environment assignments; standard error is kept apart.
Result RunCli(const fs::path& dir, const std::vector<std::string>& args,
              const std::vector<std::string>& env = {}) {
    return clitest::Run(dir, VKCERT_CLI, args, nullptr, env);
}

struct OutRow {
    std::string caption, value, detail;
};

std::vector<OutRow> ParseRows(const std::string& out) {
    std::vector<OutRow> rows;
    for (const std::string& line : Split(out, '\n')) {
        const auto fields = Split(line + "\t", '\t');  // keeps an empty last field
        EXPECT_EQ(fields.size(), 3u) << line;
        if (fields.size() == 3) {
            rows.push_back({fields[0], fields[1], fields[2]});
        }
    }
    EXPECT_TRUE(out.empty() || out.back() == '\n');
    return rows;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

std::string EnglishDate(const ASN1_TIME* time) {
    std::tm tm{};
    EXPECT_EQ(ASN1_TIME_to_tm(time, &tm), 1);
    const time_t t = timegm(&tm);
    gmtime_r(&t, &tm);  // fills the day of the week
    char day[64];
    char clock[32];
    std::strftime(day, sizeof day, "%A, %B ", &tm);
    std::strftime(clock, sizeof clock, ":%M:%S %p", &tm);
    return day + std::to_string(tm.tm_mday) + ", " + std::to_string(tm.tm_year + 1900) + "   " +
           std::to_string(tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12) + clock;
}

// The values of a name, last attribute first, one name a line, as OpenSSL prints them.
std::vector<std::string> OpensslNameValues(const X509_NAME* name) {
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(
        bio, name, 0,
        XN_FLAG_SEP_MULTILINE | XN_FLAG_DN_REV | XN_FLAG_FN_NONE | ASN1_STRFLGS_UTF8_CONVERT);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(size));
    BIO_free(bio);
    return Split(text, '\n');
}

// Our X.500 detail ("CN=a\r\nO=b + X=c") as OpenSSL's lines, the attributes' keys taken off.
std::vector<std::string> OurNameValues(const std::string& escapedDetail) {
    static const std::regex key("(^|\r\n| \\+ )[^=\r\n]*=");
    const std::string values = std::regex_replace(Unescape(escapedDetail), key, "$1");
    return Split(std::regex_replace(values, std::regex("\r\n"), "\n"), '\n');
}

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

X509Ptr ReadPem(const fs::path& path) {
    const std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    return X509Ptr(f ? PEM_read_X509(f.get(), nullptr, nullptr, nullptr) : nullptr);
}

std::string Digest(X509* cert, const EVP_MD* md) {
    unsigned char* der = nullptr;
    const int size = i2d_X509(cert, &der);
    unsigned char hash[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(der, static_cast<std::size_t>(size), hash, &length, md, nullptr);
    OPENSSL_free(der);
    return certtest::Hex({hash, hash + length});
}

// Every check of one certificate's rows against OpenSSL.
void ExpectAgreement(const fs::path& file, X509* cert, const std::vector<OutRow>& rows) {
    const int extensions = X509_get_ext_count(cert);
    ASSERT_EQ(rows.size(), 10u + static_cast<std::size_t>(extensions)) << file;
    const char* fixed[] = {"Version",    "Serial number", "Algorithm", "Issuer",
                           "Valid from", "Valid to",      "Subject",   "Public Key"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(rows[i].caption, fixed[i]) << file;
    }
    EXPECT_EQ(rows[8 + extensions].caption, "SHA1 Thumbprint");
    EXPECT_EQ(rows[9 + extensions].caption, "MD5 Thumbprint");

    EXPECT_EQ(rows[0].value, "V" + std::to_string(X509_get_version(cert) + 1)) << file;

    // OpenSSL holds the serial's magnitude; the row keeps the 00 of its encoding that keeps a
    // positive serial's top bit clear (and zero's one byte).
    const ASN1_INTEGER* serial = X509_get0_serialNumber(cert);
    std::vector<BYTE> bytes(serial->data, serial->data + serial->length);
    if (bytes.empty() || bytes[0] >= 0x80) {
        bytes.insert(bytes.begin(), 0);
    }
    std::string ours = rows[1].value;
    std::erase(ours, ' ');
    EXPECT_EQ(ours, certtest::Hex(bytes, "", true)) << file;

    EXPECT_EQ(OurNameValues(rows[3].detail), OpensslNameValues(X509_get_issuer_name(cert))) << file;
    EXPECT_EQ(OurNameValues(rows[6].detail), OpensslNameValues(X509_get_subject_name(cert)))
        << file;
    EXPECT_EQ(rows[4].value, EnglishDate(X509_get0_notBefore(cert))) << file;
    EXPECT_EQ(rows[5].value, EnglishDate(X509_get0_notAfter(cert))) << file;

    const EVP_PKEY* key = X509_get0_pubkey(cert);
    if (EVP_PKEY_get_base_id(key) == EVP_PKEY_RSA) {
        EXPECT_EQ(rows[7].value, "RSA1 (" + std::to_string(EVP_PKEY_get_bits(key)) + ")") << file;
        const ASN1_BIT_STRING* bits = X509_get0_pubkey_bitstr(cert);
        std::string detail = rows[7].detail;
        std::erase(detail, ' ');
        const unsigned char* data = ASN1_STRING_get0_data(bits);
        EXPECT_EQ(detail, certtest::Hex({data, data + ASN1_STRING_length(bits)}, "", true)) << file;
    } else {
        EXPECT_EQ(rows[7].value, "") << file;
        EXPECT_EQ(rows[7].detail, "") << file;
    }
    EXPECT_EQ(rows[8 + extensions].value, Digest(cert, EVP_sha1())) << file;
    EXPECT_EQ(rows[9 + extensions].value, Digest(cert, EVP_md5())) << file;
}

class CertCommand : public ::testing::Test {
protected:
    fs::path Dir() const { return m_world.Root(); }
    vktest::TempWorld m_world;
};

TEST_F(CertCommand, AgreesWithOpensslOnEveryCaCertificate) {
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator("/usr/share/ca-certificates")) {
        if (entry.path().extension() != ".crt") {
            continue;
        }
        const X509Ptr cert = ReadPem(entry.path());
        ASSERT_TRUE(cert) << entry.path();
        const Result r = RunCli(Dir(), {"cert", entry.path().string()}, {"TZ=UTC"});
        ASSERT_EQ(r.exitCode, 0) << entry.path() << ": " << r.err;
        EXPECT_EQ(r.err, "");
        ExpectAgreement(entry.path(), cert.get(), ParseRows(r.out));
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST_F(CertCommand, DerAndBase64FilesGiveTheSameRowsEachOnOneLineInTheInterfaceLanguage) {
    // A subject that needs escaping; MakeCert leaves the DER form beside the PEM file.
    const fs::path pem =
        certtest::MakeCert(Dir(), "made", "rsa:1024", "/O=Back\\\\slash/CN=Tab\there").pem;
    const std::vector<std::string> russian{"TZ=UTC", "LC_ALL=", "LC_MESSAGES=", "LANG=ru_RU.UTF-8"};
    const Result fromPem = RunCli(Dir(), {"cert", pem.string()}, russian);
    const Result fromDer = RunCli(Dir(), {"cert", pem.string() + ".der"}, russian);
    ASSERT_EQ(fromPem.exitCode, 0) << fromPem.err;
    EXPECT_EQ(fromPem.out, fromDer.out);
    const auto rows = ParseRows(fromDer.out);
    ASSERT_GE(rows.size(), 10u);
    EXPECT_EQ(rows[6].caption, "Subject");
    EXPECT_EQ(rows[6].value, "Back\\\\slash, Tab\\there");
    EXPECT_EQ(rows[6].detail, "CN=Tab\\there\\r\\nO=Back\\\\slash");
    EXPECT_EQ(Unescape(rows[6].detail), "CN=Tab\there\r\nO=Back\\slash");
    EXPECT_EQ(rows[4].caption, "Valid from");
    EXPECT_NE(rows[4].value.find(" г.   "), std::string::npos) << rows[4].value;
    EXPECT_TRUE(!fs::exists(m_world.ConfigHome()) || fs::is_empty(m_world.ConfigHome()))
        << "reading the language left no registry behind";
}

TEST_F(CertCommand, FilesThatAreNoCertificateFailInOneLine) {
    const fs::path text = Dir() / "text.cer";
    std::ofstream(text) << "-----BEGIN CERTIFICATE-----\nbm90IGEgY2VydGlmaWNhdGU=\n"
                           "-----END CERTIFICATE-----\n";
    const fs::path big = Dir() / "big.cer";
    std::ofstream(big) << std::string(70000, 'A');
    const fs::path empty = Dir() / "empty.cer";
    std::ofstream{empty};
    for (const fs::path& file : {text, big, empty, Dir() / "missing.cer", Dir()}) {
        const Result r = RunCli(Dir(), {"cert", file.string()});
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_EQ(r.out, "") << file;
        EXPECT_EQ(r.err.rfind("vkcert-cli: ", 0), 0u) << file << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << file;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"cert"}, {"cert", "a", "b"}, {"cert", "--frobnicate"}}) {
        EXPECT_EQ(RunCli(Dir(), args).exitCode, 1) << args.back();
    }
}

}  // namespace
