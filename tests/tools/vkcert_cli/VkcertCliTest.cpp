// The real vkcert-cli as scripts use it: pfx on files of openssl, certtool, pk12util and keytool
// against `openssl pkcs12 -info`, exit codes, password input, messages; cert on every CA
// certificate against OpenSSL, escaping and the language read but never written; list over worlds
// made by the real vktoken against `vktoken list` and `show`, damaged and empty worlds; dates in
// languages without patterns of their own and names holding a NUL or control characters; export,
// pubkey and import of key certificates against openssl; the user's certificate store.
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "CertTestUtil.h"
#include "CliRun.h"
#include "PfxFixtures.h"
#include "RowText.h"
#include "platform/crypto/CryptApi.h"
#include "platform/registry/RegTestUtil.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/service/TokenServiceClient.h"
#include "support/TempWorld.h"
#include "support/TestCertificate.h"

namespace {

namespace fs = std::filesystem;
using clitest::Lines;
using clitest::Result;
using clitest::Split;
using pfxtest::PfxCase;
using namespace std::string_literals;

// The program in a world of its own; standard error is kept apart.
class CliWorld : public ::testing::Test {
protected:
    Result Run(const std::vector<std::string>& args, const std::string* input = nullptr,
               const std::vector<std::string>& env = {}) {
        return clitest::Run(world.Root(), VKCERT_CLI, args, input, env);
    }
    Result Vktoken(const std::vector<std::string>& args) {
        return clitest::Run(world.Root(), VKTOKEN, args);
    }

    vktest::TempWorld world;
};

bool IsEmptyDir(const fs::path& dir) {
    return !fs::exists(dir) || fs::is_empty(dir);
}

// Lower-case hex of the certificate's digest, bytes separated by spaces.
std::string Digest(const X509* cert, const EVP_MD* md) {
    unsigned char hash[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    X509_digest(cert, md, hash, &length);
    return certtest::Hex({hash, hash + length});
}

// A name as OpenSSL prints it, the attributes' keys left out.
std::string NameText(const X509_NAME* name, unsigned long flags) {
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, flags | XN_FLAG_FN_NONE | ASN1_STRFLGS_UTF8_CONVERT);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(size));
    BIO_free(bio);
    return text;
}

// What openssl pkcs12 -info shows of a file: for each certificate in order its thumbprint,
// whether a key of the file is its own, and its subject's values. Nothing when openssl cannot
// open it.
std::optional<std::vector<std::string>> OpensslView(const PfxCase& c) {
    std::vector<std::string> argv = {"openssl",       "pkcs12",  "-in",
                                     c.file.string(), "-passin", "pass:" + c.password,
                                     "-info",         "-nodes"};
    std::string pem;
    if (!pfxtest::Run(argv, &pem)) {
        argv.insert(argv.begin() + 2, "-legacy");
        if (!pfxtest::Run(argv, &pem)) {
            return std::nullopt;
        }
    }
    std::vector<EVP_PKEY*> keys;
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    while (EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr)) {
        keys.push_back(key);
    }
    BIO_reset(bio);
    std::vector<std::string> view;
    while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        const bool hasKey = std::ranges::any_of(
            keys, [&](EVP_PKEY* key) { return EVP_PKEY_eq(X509_get0_pubkey(cert), key) == 1; });
        // The subject's values in order: the simple form of these plain names.
        view.push_back(Digest(cert, EVP_sha1()) + (hasKey ? "\tkey\t" : "\t-\t") +
                       NameText(X509_get_subject_name(cert), XN_FLAG_SEP_CPLUS_SPC));
        X509_free(cert);
    }
    std::ranges::for_each(keys, EVP_PKEY_free);
    BIO_free(bio);
    return view;
}

using VkcertCli = CliWorld;

TEST_F(VkcertCli, PfxListsWhatOpensslShowsForEveryToolsFilesTakesThePasswordFromInputAndFails) {
    pfxtest::Workshop shop{world.Root() / "pfx"};
    std::size_t withKeys = 0;
    std::size_t multiple = 0;
    for (const auto& c : shop.All()) {
        SCOPED_TRACE(c.label);
        const auto expected = OpensslView(c);
        ASSERT_TRUE(expected) << "openssl cannot open it";
        const std::string line = c.password + "\n";
        const Result r = Run({"pfx", c.file.string(), "--password-stdin"}, &line);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(Lines(r.out), *expected);
        withKeys += std::ranges::count_if(*expected, [](const std::string& line) {
            return line.find("\tkey\t") != std::string::npos;
        });
        multiple += expected->size() > 1 ? 1 : 0;
    }
    // The walk covered keys, chains and files of several certificates.
    EXPECT_GE(withKeys, 14u);
    EXPECT_GE(multiple, 3u);

    // Failures have their exit codes.
    const PfxCase good = shop.Openssl("cli-damaged", "pw");
    const fs::path damaged = world.Root() / "damaged.p12";
    fs::copy_file(good.file, damaged);
    fs::resize_file(damaged, fs::file_size(damaged) / 2);
    const fs::path empty = world.Root() / "empty.p12";
    std::ofstream{empty};
    const fs::path missing = world.Root() / "missing.p12";
    const std::string file = good.file.string();
    // Files whose password "pw" is not.
    const PfxCase wrong[] = {shop.Openssl("cli-wrong", "right"),
                             shop.Openssl("cli-wrong-nomac", "right", {"-nomac"}),
                             shop.Certtool("cli-wrong-certtool", pfxtest::kCyrillic)};
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{"pfx", wrong[0].file.string(), "--password-stdin"}, 2},
        {{"pfx", wrong[1].file.string(), "--password-stdin"}, 2},
        {{"pfx", wrong[2].file.string(), "--password-stdin"}, 2},
        {{"pfx", damaged.string(), "--password-stdin"}, 3},
        {{"pfx", shop.leafCert.string(), "--password-stdin"}, 3},  // PEM is no PKCS #12 file
        {{"pfx", empty.string(), "--password-stdin"}, 3},
        {{"pfx", missing.string(), "--password-stdin"}, 1},
        {{"pfx", world.Root().string(), "--password-stdin"}, 1},  // a folder
        {{"pfx"}, 1},
        {{"pfx", file, file, "--password-stdin"}, 1},
        {{"pfx", file, "--password=pw"}, 1},  // the password never comes from the command line
        {{"frobnicate"}, 1},
        {{}, 1}};
    const std::string password = "pw\n";
    for (const auto& [args, code] : cases) {
        const Result r = Run(args, &password);
        EXPECT_EQ(r.exitCode, code) << args.size() << " " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(code == 1 ? !r.err.empty() : Lines(r.err).size() == 1) << r.err;
    }
    EXPECT_NE(Run({"pfx", missing.string(), "--password-stdin"}, &password).err.find("missing.p12"),
              std::string::npos);

    // The password comes from the first line of standard input, or else the terminal.
    const PfxCase c = shop.Openssl("cli-input", pfxtest::kLong32);
    const PfxCase emptyPassword = shop.Certtool("cli-empty", "");
    const std::pair<std::string, const PfxCase*> inputs[] = {
        {c.password + "\r\n", &c}, {c.password + "\nsecond line\n", &c},
        {c.password, &c},          {"\n", &emptyPassword},
        {"\r\n", &emptyPassword},  {"", &emptyPassword}};
    for (const auto& [input, pfx] : inputs) {
        const Result r = Run({"pfx", pfx->file.string(), "--password-stdin"}, &input);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Lines(r.out), *OpensslView(*pfx));
    }
    // A space at the end is part of the password.
    const std::string spaced = c.password + " \n";
    EXPECT_EQ(Run({"pfx", c.file.string(), "--password-stdin"}, &spaced).exitCode, 2);

    // Without --password-stdin the terminal is asked; there is none here.
    const Result r = Run({"pfx", c.file.string()}, &spaced);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.err).size(), 1u);
    EXPECT_NE(r.err.find("--password-stdin"), std::string::npos);
}

using CertCommand = CliWorld;

struct OutRow {
    std::string caption, value, detail;
};

std::vector<OutRow> ParseRows(const std::string& out) {
    std::vector<OutRow> rows;
    for (const std::string& line : Split(out, '\n')) {
        const auto fields = Split(line + "\t", '\t');  // keeps an empty last field
        EXPECT_EQ(fields.size(), 3u) << line;
        rows.push_back({fields.at(0), fields.at(1), fields.at(2)});
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
    return Split(NameText(name, XN_FLAG_SEP_MULTILINE | XN_FLAG_DN_REV), '\n');
}

// Our X.500 detail ("CN=a\r\nO=b + X=c") as OpenSSL's lines, the attributes' keys taken off.
std::vector<std::string> OurNameValues(const std::string& escapedDetail) {
    static const std::regex key("(^|\r\n| \\+ )[^=\r\n]*=");
    const std::string values = std::regex_replace(Unescape(escapedDetail), key, "$1");
    return Split(std::regex_replace(values, std::regex("\r\n"), "\n"), '\n');
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

TEST_F(CertCommand, AgreesWithOpensslOnEveryCaCertificate) {
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator("/usr/share/ca-certificates")) {
        if (entry.path().extension() != ".crt") {
            continue;
        }
        const std::unique_ptr<BIO, decltype(&BIO_free)> pem(BIO_new_file(entry.path().c_str(), "r"),
                                                            &BIO_free);
        const std::unique_ptr<X509, decltype(&X509_free)> cert(
            PEM_read_bio_X509(pem.get(), nullptr, nullptr, nullptr), &X509_free);
        ASSERT_TRUE(cert) << entry.path();
        const Result r = Run({"cert", entry.path().string()}, nullptr, {"TZ=UTC"});
        ASSERT_EQ(r.exitCode, 0) << entry.path() << ": " << r.err;
        EXPECT_EQ(r.err, "");
        ExpectAgreement(entry.path(), cert.get(), ParseRows(r.out));
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST_F(CertCommand, DerAndBase64GiveTheSameRowsOnOneLineInTheLanguageAndOtherFilesFailInOne) {
    // A subject that needs escaping; MakeCert leaves the DER form beside the PEM file.
    const fs::path pem =
        certtest::MakeCert(world.Root(), "made", "rsa:1024", "/O=Back\\\\slash/CN=Tab\there").pem;
    const std::vector<std::string> russian{"TZ=UTC", "LC_ALL=", "LC_MESSAGES=", "LANG=ru_RU.UTF-8"};
    const Result fromPem = Run({"cert", pem.string()}, nullptr, russian);
    const Result fromDer = Run({"cert", pem.string() + ".der"}, nullptr, russian);
    ASSERT_EQ(fromPem.exitCode, 0) << fromPem.err;
    EXPECT_EQ(fromPem.out, fromDer.out);
    const auto rows = ParseRows(fromDer.out);
    ASSERT_GE(rows.size(), 10u);
    EXPECT_EQ(rows[6].value, "Back\\\\slash, Tab\\there");
    EXPECT_EQ(rows[6].detail, "CN=Tab\\there\\r\\nO=Back\\\\slash");
    EXPECT_NE(rows[4].value.find(" г.   "), std::string::npos) << rows[4].value;
    EXPECT_TRUE(IsEmptyDir(world.ConfigHome())) << "reading the language left no registry behind";

    // Files that are no certificate fail in one line.
    const fs::path text = world.Root() / "text.cer";
    std::ofstream(text) << "-----BEGIN CERTIFICATE-----\nbm90IGEgY2VydGlmaWNhdGU=\n"
                           "-----END CERTIFICATE-----\n";
    const fs::path big = world.Root() / "big.cer";
    std::ofstream(big) << std::string(70000, 'A');
    const fs::path empty = world.Root() / "empty.cer";
    std::ofstream{empty};
    for (const fs::path& file : {text, big, empty, world.Root() / "missing.cer", world.Root()}) {
        const Result r = Run({"cert", file.string()});
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_EQ(r.out, "") << file;
        EXPECT_EQ(r.err.rfind("vkcert-cli: ", 0), 0u) << file << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << file;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"cert"}, {"cert", "a", "b"}, {"cert", "--frobnicate"}}) {
        EXPECT_EQ(Run(args).exitCode, 1) << args.back();
    }

    // Help and messages in the locale's language.
    const std::string help = Run({"--help"}).out;
    for (const char* command : {"pfx", "list", "cert"}) {
        EXPECT_NE(help.find(std::string("  ") + command), std::string::npos) << command;
        EXPECT_EQ(Run({command, "--help"}).exitCode, 0) << command;
    }
    EXPECT_NE(Run({"pfx", "--help"}, nullptr, {"LC_ALL=ru_RU.UTF-8"}).out.find("Использование"),
              std::string::npos);
    const std::string err =
        Run({"pfx", "missing-file"}, nullptr, {"LC_ALL=", "LC_MESSAGES=", "LANG=ru_RU.UTF-8"}).err;
    EXPECT_NE(err.find("не удаётся прочитать"), std::string::npos) << err;

    // The stored choice "ENGLISH" wins over the Russian locale.
    ASSERT_EQ(regtest::Set(HKEY_LOCAL_MACHINE, L"Software\\Orvel\\Language", nullptr, REG_SZ,
                           regtest::SzBytes(L"ENGLISH")),
              ERROR_SUCCESS);
    const std::string english =
        ParseRows(Run({"cert", pem.string()}, nullptr, russian).out)[4].value;
    EXPECT_TRUE(english.ends_with(" AM") || english.ends_with(" PM")) << english;
}

// Control characters other than the rows' tabs and line ends.
std::size_t ControlCount(const std::string& out) {
    return std::ranges::count_if(
        out, [](unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F; });
}

TEST_F(CertCommand, DatesOfTheDemoCaInLanguagesWithoutPatternsOfTheirOwnAreEnglish) {
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const fs::path ca = world.DataHome() / "vkcert" / "tokens" / "demo-ca.crt";
    const std::unique_ptr<BIO, decltype(&BIO_free)> pem(BIO_new_file(ca.c_str(), "r"), &BIO_free);
    const std::unique_ptr<X509, decltype(&X509_free)> cert(
        PEM_read_bio_X509(pem.get(), nullptr, nullptr, nullptr), &X509_free);
    ASSERT_TRUE(cert) << ca;
    for (const char* lang :
         {"en_US.UTF-8", "en_GB.UTF-8", "en_AU.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "it"}) {
        const Result r = Run({"cert", ca.string()}, nullptr,
                             {"TZ=UTC", "LC_ALL=", "LC_MESSAGES=", "LANG="s + lang});
        ASSERT_EQ(r.exitCode, 0) << lang << ": " << r.err;
        const auto rows = ParseRows(r.out);
        ExpectAgreement(ca, cert.get(), rows);
        EXPECT_EQ(rows.at(4).detail, rows[4].value) << lang;
        EXPECT_EQ(rows.at(5).detail, rows[5].value) << lang;
    }
}

TEST_F(CertCommand, DisguisedNamesShowEveryCharacterFromAFileAndFromAToken) {
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_RSA_gen(2048),
                                                                  &EVP_PKEY_free);
    ASSERT_TRUE(key);
    const std::vector<std::uint8_t> der =
        vktest::MakeCertificate(key.get(), {{"O", "\x1B]0;owned\x07"},
                                            {"OU", "\nwww.bank.example"},
                                            {"CN", "www.bank.example\0.evil.example"s}});
    const fs::path file = world.Root() / "disguised.cer";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(der.data()), static_cast<std::streamsize>(der.size()));

    const Result r = Run({"cert", file.string()}, nullptr, {"TZ=UTC"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ControlCount(r.out), 0u);
    // The name strings' escapes, their backslashes doubled by the rows' escaping.
    const std::string simple =
        R"("\\x1B]0;owned\\x07", "\\x0Awww.bank.example", www.bank.example\\x00.evil.example)";
    const std::string x500 =
        R"(CN=www.bank.example\\x00.evil.example\r\nOU=\\x0Awww.bank.example\r\nO=\\x1B]0;owned\\x07)";
    const auto rows = ParseRows(r.out);
    ASSERT_GE(rows.size(), 7u);
    for (const OutRow& row : {rows[3], rows[6]}) {
        EXPECT_EQ(row.value, simple) << row.caption;
        EXPECT_EQ(row.detail, x500) << row.caption;
    }

    // On a token the key's label carries the whole common name.
    const unsigned char* p = der.data();
    const std::unique_ptr<X509, decltype(&X509_free)> cert(
        d2i_X509(nullptr, &p, static_cast<long>(der.size())), &X509_free);
    const std::unique_ptr<PKCS12, decltype(&PKCS12_free)> pfx(
        PKCS12_create("pw", nullptr, key.get(), cert.get(), nullptr, 0, 0, 0, 0, 0), &PKCS12_free);
    ASSERT_TRUE(pfx);
    const fs::path pfxFile = world.Root() / "disguised.p12";
    FILE* out = std::fopen(pfxFile.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(i2d_PKCS12_fp(out, pfx.get()), 1);
    std::fclose(out);
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const Result imported = Vktoken({"import-pfx", "Velkora Pro Demo", "disguised",
                                     pfxFile.string(), "--pin", "12345678", "--password", "pw"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const Result list = Run({"list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(ControlCount(list.out), 0u);
    EXPECT_NE(list.out.find("\n    www.bank.example\\x00.evil.example (Exchange Key, 2048)\n"),
              std::string::npos)
        << list.out;
}

TEST(RowText, ControlCharactersAreWrittenAsTheirCodesAndTheRestAsUtf8) {
    using vkcli::EscapedRowText;
    EXPECT_EQ(EscapedRowText(L"a\\b\tc\rd\ne"), "a\\\\b\\tc\\rd\\ne");
    EXPECT_EQ(EscapedRowText(L"\x1B]0;owned\x07"), "\\x1B]0;owned\\x07");
    EXPECT_EQ(EscapedRowText(L"bank\0evil"s), "bank\\x00evil");
    EXPECT_EQ(EscapedRowText(L"\x1F\x7F\x80\x9B\xA0"), "\\x1F\\x7F\\x80\\x9B\xC2\xA0");
    EXPECT_EQ(EscapedRowText(L"\u0416 \u2400 \U0001F512"),
              "\xD0\x96 \xE2\x90\x80 \xF0\x9F\x94\x92");
}

// One line of the listing: indent, label and path.
struct Node {
    int depth = 0;
    std::string label;
    std::string path;
};

std::vector<Node> Parse(const std::string& out) {
    std::vector<Node> nodes;
    for (const std::string& line : Lines(out)) {
        const std::size_t indent = line.find_first_not_of(' ');
        EXPECT_EQ(indent % 2, 0u) << line;
        const auto tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << line;
        nodes.push_back(Node{static_cast<int>(indent / 2), line.substr(indent, tab - indent),
                             line.substr(tab + 1)});
    }
    return nodes;
}

class VkcertCliListTest : public CliWorld {
protected:
    // What vktoken reports, as the tree should show it.
    std::vector<Node> Expected(bool flat);
};

std::vector<Node> VkcertCliListTest::Expected(bool flat) {
    std::vector<std::string> readers = Lines(Vktoken({"list"}).out);  // "reader<TAB>token or -"
    std::sort(readers.begin(), readers.end());
    std::vector<Node> nodes;
    for (const std::string& line : readers) {
        const std::string reader = Split(line, '\t').at(0), token = Split(line, '\t').at(1);
        nodes.push_back({0, (token == "-" ? "<Unnamed>" : token) + " [" + reader + "] ", reader});
        // Containers by name, each with its keys; the key nodes sort by their path too.
        std::map<std::string, std::vector<Node>> containers;
        std::string container;
        for (const std::string& shown : Lines(token == "-" ? "" : Vktoken({"show", token}).out)) {
            const auto fields = Split(shown, '\t');
            if (fields.at(0) == "container") {
                containers[container = fields.at(1)];
            } else if (fields.at(0) == "  key") {
                const std::string kind = fields.at(1) == "exchange" ? "Exchange" : "Signature";
                containers[container].push_back({flat ? 1 : 2,
                                                 "(" + kind + " Key, " + fields.at(2) + ")",
                                                 reader + "\\" + container + "\\" + kind});
            }
        }
        for (auto& [name, keys] : containers) {
            if (!flat) {
                nodes.push_back({1, name, reader + "\\" + name});
            }
            std::ranges::sort(keys, {}, &Node::path);
            nodes.insert(nodes.end(), keys.begin(), keys.end());
        }
    }
    return nodes;
}

// Keys are compared by the end of their label: the certificate's name before it is tested with
// the nodes.
void ExpectSameTree(const std::vector<Node>& actual, const std::vector<Node>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].depth, expected[i].depth) << expected[i].path;
        EXPECT_EQ(actual[i].path, expected[i].path);
        EXPECT_TRUE(actual[i].label.ends_with(expected[i].label)) << actual[i].label;
    }
}

TEST_F(VkcertCliListTest, NoStoreTheDemoWorldAndDamagedTokensAndReaderLists) {
    Result r = Run({"list"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(IsEmptyDir(world.DataHome())) << "no store is created";
    EXPECT_EQ(Run({"list", "--tree"}).exitCode, 1);

    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const Result paths = Run({"list", "--paths"});
    ASSERT_EQ(paths.exitCode, 0);
    ExpectSameTree(Parse(paths.out), Expected(false));

    // Without --paths: the same labels, indented, nothing after them.
    const Result plain = Run({"list"});
    ASSERT_EQ(plain.exitCode, 0);
    std::vector<std::string> stripped;
    for (const std::string& line : Lines(paths.out)) {
        stripped.push_back(line.substr(0, line.find('\t')));
    }
    EXPECT_EQ(Lines(plain.out), stripped);
    // UTF-8 names of certificates come through as they are.
    EXPECT_NE(plain.out.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"),  // Иванов
              std::string::npos);

    EXPECT_TRUE(IsEmptyDir(world.ConfigHome())) << "no settings, no language written";

    // --flat puts keys directly under their token.
    const Result flat = Run({"list", "--flat", "--paths"});
    ASSERT_EQ(flat.exitCode, 0);
    ExpectSameTree(Parse(flat.out), Expected(true));

    const auto damage = [](const fs::path& file) {
        fs::remove(file.string() + "-wal");
        fs::remove(file.string() + "-shm");
        std::ofstream(file, std::ios::trunc) << std::string(200, 'x');
    };
    // A reader whose token cannot be read keeps its line, without children.
    vkstore::TokenWorld tokens;
    damage(tokens.TokenFile(tokens.FindToken("Velkora Mini Demo")->uuid));
    r = Run({"list"});
    EXPECT_EQ(r.exitCode, 0);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "<Unnamed> [Velkora USB Reader 1] ") << r.out;
    EXPECT_EQ(lines.back(), "<Unnamed> [Velkora USB Reader 2] ");

    // A reader list that cannot be read fails the listing.
    damage(tokens.WorldFile());
    r = Run({"list"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
}

}  // namespace

// login, logout and access as scripts run them, each command a process of its own; a token of
// two tries locks on the second wrong PIN, and a locked token is refused without a try.
TEST_F(CliWorld, LoginIsSeenByOtherProcessesWrongPinsCountDownAndALockedPinSpendsNoTry) {
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    ASSERT_EQ(Vktoken({"add-reader", "R2"}).exitCode, 0);
    ASSERT_EQ(Vktoken({"make-token", "Two", "--pin", "2468", "--retries", "2"}).exitCode, 0);
    ASSERT_EQ(Vktoken({"insert", "R2", "Two"}).exitCode, 0);
    const std::string r0 = "Velkora USB Reader 0";
    const std::string right = "12345678\n", wrong = "0000\n";
    const struct {
        std::vector<std::string> args;
        const std::string* pin;
        int code;
        std::string out, err;
    } steps[] = {
        {{"access", r0}, nullptr, 0, "Guest\n", ""},
        {{"login", r0, "--pin-stdin"}, &right, 0, "", ""},
        {{"access", r0}, nullptr, 0, "User\n", ""},
        {{"logout", r0}, nullptr, 0, "", ""},
        {{"access", r0}, nullptr, 0, "Guest\n", ""},
        {{"login", "R2", "--pin-stdin"}, &wrong, 2, "", "Tries left: 1"},
        {{"login", "R2", "--pin-stdin"}, &wrong, 2, "", "Tries left: 0"},
        {{"login", "R2", "--pin-stdin"}, &right, 7, "", "maximum number of PIN entry attempts"},
        {{"login", "No reader", "--pin-stdin"}, &right, 1, "", "reader name is not recognized"},
        {{"access", "No reader"}, nullptr, 1, "", "reader name is not recognized"},
    };
    for (const auto& s : steps) {
        const Result r = Run(s.args, s.pin);
        EXPECT_EQ(r.exitCode, s.code) << s.args[0] << " " << s.args[1] << ": " << r.err;
        EXPECT_EQ(r.out, s.out) << s.args[0];
        EXPECT_NE(r.err.find(s.err), std::string::npos) << r.err;
    }
    EXPECT_NE(Vktoken({"show", "Two"}).out.find("pin-tries\t0/2"), std::string::npos);
}

namespace {

// Every file under the world that is not one the token store, the service or the demo keeps:
// token databases and world.db with their journals, the service's socket, lock files of the
// service and of named mutexes (two bytes at most: a mutex's owner mark), the demo authority's
// certificate and its key (the authority signs the demo certificates; its key is no token's), and
// the input and error files of the commands.
std::vector<std::string> UnexpectedFiles(const fs::path& root) {
    static const std::regex allowed(
        "stdin|stderr|runtime/vkcert/tokend\\.socket|data/vkcert/demo-ca/demo-ca\\.key|"
        "data/vkcert/tokens/(demo-ca\\.crt|(world|[0-9a-f-]{36})\\.db(-wal|-shm|-journal)?)");
    static const std::regex lock(
        "runtime/vkcert/tokend\\.lock|runtime/vkcert-mutexes/[^/]+\\.lock");
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).string();
        if (!entry.is_directory() && !std::regex_match(name, allowed) &&
            !(std::regex_match(name, lock) && entry.file_size() <= 2)) {
            found.push_back(name);
        }
    }
    return found;
}

}  // namespace

// The demo's login by one process is seen by others and ends with the token's removal; the world
// then holds no file but the store, the service's socket and lock and the demo authority; a
// SIGKILLed service ends the login, the next login starts another, and the store lost nothing.
TEST_F(CliWorld, ADemoLoginEndsWithRemovalLeavesNoFileAndAKilledServiceLosesNothingStored) {
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const std::string r0 = "Velkora USB Reader 0", pin = "12345678\n";
    const std::string listed = Run({"list", "--paths"}).out;
    ASSERT_EQ(Run({"login", r0, "--pin-stdin"}, &pin).exitCode, 0);
    EXPECT_EQ(Run({"access", r0}).out, "User\n");
    ASSERT_EQ(Vktoken({"remove", r0}).exitCode, 0);
    EXPECT_EQ(Run({"access", r0}).out, "Guest\n") << "nobody is logged in to an empty reader";
    ASSERT_EQ(Vktoken({"insert", r0, "Velkora Pro Demo"}).exitCode, 0);
    EXPECT_EQ(Run({"access", r0}).out, "Guest\n");
    EXPECT_EQ(UnexpectedFiles(world.Root()), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_socket(world.RuntimeDir() / "vkcert" / "tokend.socket"));

    ASSERT_EQ(Run({"login", r0, "--pin-stdin"}, &pin).exitCode, 0);
    const auto first = static_cast<pid_t>(vkstore::service::TokenServiceClient().ServiceProcess());
    ASSERT_EQ(::kill(first, SIGKILL), 0);
    for (int i = 0; i < 500 && ::kill(first, 0) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(Run({"access", r0}).out, "Guest\n");
    ASSERT_EQ(Run({"login", r0, "--pin-stdin"}, &pin).exitCode, 0);
    const auto second = static_cast<pid_t>(vkstore::service::TokenServiceClient().ServiceProcess());
    EXPECT_NE(second, first);
    EXPECT_EQ(Run({"access", r0}).out, "User\n");
    EXPECT_EQ(Run({"list", "--paths"}).out, listed);
    EXPECT_EQ(UnexpectedFiles(world.Root()), std::vector<std::string>{});
    ::kill(second, SIGTERM);
}

namespace {

// The bytes of a file; empty when it cannot be read.
std::string FileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The certificate stored with a key, read through the provider as the window reads it.
std::string StoredCertificate(const std::wstring& container, DWORD keySpec) {
    HCRYPTPROV prov = 0;
    HCRYPTKEY key = 0;
    DWORD size = 0;
    std::string der;
    if (CryptAcquireContextW(&prov, container.c_str(), L"Orvel Velkora CSP v1.0", PROV_RSA_FULL,
                             CRYPT_SILENT) &&
        CryptGetUserKey(prov, keySpec, &key) &&
        CryptGetKeyParam(key, KP_CERTIFICATE, nullptr, &size, 0)) {
        der.resize(size);
        CryptGetKeyParam(key, KP_CERTIFICATE, reinterpret_cast<BYTE*>(der.data()), &size, 0);
    }
    CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);
    return der;
}

// `openssl ARGS...` with the current folder as it is; whether it succeeded.
bool Openssl(std::vector<std::string> args, std::string* out = nullptr) {
    args.insert(args.begin(), "openssl");
    return pfxtest::Run(args, out);
}

}  // namespace

// Export writes the key's certificate as DER (".cer" added) and as Base64 that openssl reads,
// keeps an existing file without --force; pubkey gives the key openssl certifies for import,
// which succeeds for that key and fails the check for another.
TEST_F(CliWorld, ExportPubkeyAndImportRoundTripWithOpenssl) {
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const std::string r0 = "Velkora USB Reader 0", pin = "12345678\n";
    const std::string ivanov = r0 + "\\Ivanov-2026\\Exchange";
    const std::string bare = r0 + "\\Key without certificate\\Exchange";
    const fs::path dir = world.Root() / "files";
    fs::create_directories(dir);
    const std::string der = (dir / "ivanov").string(), b64 = (dir / "ivanov-b64.CER").string();

    ASSERT_EQ(Run({"export", ivanov, der}).exitCode, 0);
    const std::string stored =
        StoredCertificate(L"\\\\.\\Velkora USB Reader 0\\Ivanov-2026", AT_KEYEXCHANGE);
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(FileBytes(der + ".cer"), stored);
    ASSERT_EQ(Run({"export", ivanov, b64, "--base64"}).exitCode, 0);
    ASSERT_TRUE(Openssl({"x509", "-in", b64, "-outform", "DER", "-out", der + ".back"}));
    EXPECT_EQ(FileBytes(der + ".back"), stored);
    // An existing file stays without --force and is replaced with it.
    const Result kept = Run({"export", ivanov, der + ".cer", "--base64"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_NE(kept.err.find("--force"), std::string::npos) << kept.err;
    EXPECT_EQ(FileBytes(der + ".cer"), stored);
    ASSERT_EQ(Run({"export", ivanov, der + ".cer", "--base64", "--force"}).exitCode, 0);
    EXPECT_EQ(FileBytes(der + ".cer"), FileBytes(b64));
    EXPECT_EQ(Run({"export", bare, der + ".none"}).exitCode, 1) << "no certificate";
    EXPECT_EQ(Run({"export", r0 + "\\Nothing\\Exchange", der + ".none"}).exitCode, 1);
    EXPECT_FALSE(fs::exists(der + ".none.cer"));

    // The key without a certificate shows its public key only after a login.
    EXPECT_EQ(Run({"pubkey", bare}).exitCode, 1);
    const Result other = Run({"pubkey", ivanov});
    ASSERT_EQ(other.exitCode, 0) << other.err;
    ASSERT_EQ(Run({"login", r0, "--pin-stdin"}, &pin).exitCode, 0);
    const Result pub = Run({"pubkey", bare});
    ASSERT_EQ(pub.exitCode, 0) << pub.err;
    EXPECT_TRUE(pub.out.starts_with("-----BEGIN PUBLIC KEY-----\n")) << pub.out;
    std::ofstream(dir / "bare.pub") << pub.out;
    std::ofstream(dir / "other.pub") << other.out;
    const std::string ca = (dir / "ca").string();
    ASSERT_TRUE(Openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca + ".key",
                         "-out", ca + ".crt", "-subj", "/CN=Test CA", "-days", "2"}));
    ASSERT_TRUE(Openssl(
        {"req", "-new", "-key", ca + ".key", "-subj", "/CN=Imported Key", "-out", ca + ".csr"}));
    for (const char* key : {"bare", "other"}) {
        ASSERT_TRUE(
            Openssl({"x509", "-req", "-in", ca + ".csr", "-CA", ca + ".crt", "-CAkey", ca + ".key",
                     "-CAcreateserial", "-days", "2", "-force_pubkey",
                     (dir / key).string() + ".pub", "-out", (dir / key).string() + ".cer"}));
    }
    const Result wrongKey = Run({"import", bare, (dir / "other.cer").string()});
    EXPECT_EQ(wrongKey.exitCode, 4) << wrongKey.err;
    EXPECT_NE(wrongKey.err.find("other.cer"), std::string::npos) << wrongKey.err;
    EXPECT_EQ(Run({"import", bare, (dir / "bare.pub").string()}).exitCode, 4) << "not .cer";
    const Result imported = Run({"import", bare, (dir / "bare.cer").string()});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(Run({"list"}).out.find("Imported Key (Exchange Key, 2048)"), std::string::npos);
    EXPECT_EQ(Run({"logout", r0}).exitCode, 0);
    EXPECT_EQ(Run({"import", ivanov, (dir / "other.cer").string()}).exitCode, 1) << "logged out";
}

namespace {

// The line of `store list` for a certificate, from openssl: thumbprint, the key link's fields
// and the subject's values.
std::string StoreLine(const std::string& der, const std::string& link) {
    const auto* p = reinterpret_cast<const unsigned char*>(der.data());
    std::unique_ptr<X509, decltype(&X509_free)> cert(
        d2i_X509(nullptr, &p, static_cast<long>(der.size())), X509_free);
    if (!cert) {
        return "not a certificate";
    }
    return Digest(cert.get(), EVP_sha1()) + "\t" + link + "\t" +
           NameText(X509_get_subject_name(cert.get()), XN_FLAG_SEP_CPLUS_SPC);
}

}  // namespace

// store add, status, list and remove over the demo tokens; a certificate another program added
// without a key link and a damaged store file in the user's store.
TEST_F(CliWorld, StoreAddListStatusAndRemoveRoundTrip) {
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const std::string r0 = "Velkora USB Reader 0\\";
    const std::string ivanov = r0 + "Ivanov-2026\\Exchange",
                      petrova = r0 + "Petrova-signing\\Signature";
    const std::string ivanovDer =
        StoredCertificate(L"\\\\.\\Velkora USB Reader 0\\Ivanov-2026", AT_KEYEXCHANGE);
    const std::string petrovaDer =
        StoredCertificate(L"\\\\.\\Velkora USB Reader 0\\Petrova-signing", AT_SIGNATURE);
    const fs::path ca = world.Root() / "ca.der", folder = world.DataHome() / "vkcert/certstores/MY";
    ASSERT_TRUE(Openssl({"x509", "-in", (world.DataHome() / "vkcert/tokens/demo-ca.crt").string(),
                         "-outform", "DER", "-out", ca.string()}));
    const std::string caDer = FileBytes(ca);
    HCERTSTORE store = CertOpenSystemStoreW(0, L"MY");
    ASSERT_TRUE(CertAddEncodedCertificateToStore(
        store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(caDer.data()),
        static_cast<DWORD>(caDer.size()), CERT_STORE_ADD_NEW, nullptr));
    CertCloseStore(store, 0);

    EXPECT_EQ(Run({"store", "status", ivanov}).out, "not registered\n");
    const Result added = Run({"store", "add", ivanov});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(Run({"store", "add", ivanov}).exitCode, 0) << "registered again";
    ASSERT_EQ(Run({"store", "add", petrova}).exitCode, 0);
    EXPECT_EQ(Run({"store", "add", r0 + "Key without certificate\\Exchange"}).exitCode, 1);
    EXPECT_EQ(Run({"store", "status", ivanov}).out, "registered\n");
    std::vector<std::string> expected = {StoreLine(ivanovDer, "Ivanov-2026\t1"),
                                         StoreLine(petrovaDer, "Petrova-signing\t2"),
                                         StoreLine(caDer, "-\t-")};
    std::ranges::sort(expected);  // store files are named by the thumbprint
    const Result listed = Run({"store", "list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(Lines(listed.out), expected);
    EXPECT_EQ(listed.err, "");

    // A damaged file is skipped by list and status and named; remove tells why it fails.
    std::string name = Split(StoreLine(petrovaDer, ""), '\t')[0];
    std::erase(name, ' ');
    const fs::path damaged = folder / (name + ".cert");
    ASSERT_TRUE(fs::exists(damaged));
    fs::resize_file(damaged, 100);
    const std::string named = "vkcert-cli: The store file \"" + damaged.string() +
                              "\" is damaged and has been skipped.\n";
    const Result skipped = Run({"store", "list"});
    EXPECT_EQ(skipped.exitCode, 0);
    EXPECT_EQ(skipped.out.find("Petrova"), std::string::npos);
    EXPECT_EQ(Lines(skipped.out).size(), 2u);
    EXPECT_EQ(skipped.err, named);
    const Result status = Run({"store", "status", petrova});
    EXPECT_EQ(status.out, "not registered\n");
    EXPECT_EQ(status.err, named);

    EXPECT_EQ(Run({"store", "remove", ivanov}).exitCode, 0);
    EXPECT_EQ(Run({"store", "status", ivanov}).out, "not registered\n");
    const Result again = Run({"store", "remove", ivanov});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err,
              "vkcert-cli: Error occured while deleting certificate \"Иванов Иван\" from "
              "certificate store. System error description is : \"Cannot find object or "
              "property.\".\n");
    EXPECT_EQ(Lines(Run({"store", "list"}).out),
              std::vector<std::string>{StoreLine(caDer, "-\t-")});
}
