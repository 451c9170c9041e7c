// The real vkcert-cli over texts that could mislead: dates in languages without patterns of their
// own, names holding a NUL or control characters, from a file and from a token filled by the real
// vktoken; and the escaping of the rows' texts.
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CliRun.h"
#include "RowText.h"
#include "support/TempWorld.h"
#include "support/TestCertificate.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Fields = std::vector<std::string>;

class CertTexts : public ::testing::Test {
protected:
    clitest::Result Cli(const std::vector<std::string>& args, const Fields& env = {}) {
        return clitest::Run(world.Root(), VKCERT_CLI, args, nullptr, env);
    }
    clitest::Result Vktoken(const std::vector<std::string>& args) {
        return clitest::Run(world.Root(), VKTOKEN, args);
    }

    vktest::TempWorld world;
};

// The fields of the row with this caption.
Fields Row(const std::string& out, const std::string& caption) {
    for (const std::string& line : clitest::Lines(out)) {
        if (line.starts_with(caption + "\t")) {
            return clitest::Split(line, '\t');
        }
    }
    return {};
}

// Control characters other than the rows' tabs and line ends.
std::size_t ControlCount(const std::string& out) {
    return std::ranges::count_if(
        out, [](unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F; });
}

std::string EnglishDate(const ASN1_TIME* time) {
    std::tm tm{};
    EXPECT_EQ(ASN1_TIME_to_tm(time, &tm), 1);
    const time_t t = timegm(&tm);
    gmtime_r(&t, &tm);
    char day[40];
    char clock[16];
    std::strftime(day, sizeof day, "%A, %B ", &tm);
    std::strftime(clock, sizeof clock, ":%M:%S %p", &tm);
    return day + std::to_string(tm.tm_mday) + ", " + std::to_string(tm.tm_year + 1900) + "   " +
           std::to_string(tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12) + clock;
}

TEST_F(CertTexts, DatesOfTheDemoCaInLanguagesWithoutPatternsOfTheirOwnAreEnglish) {
    ASSERT_EQ(Vktoken({"demo"}).exitCode, 0);
    const fs::path ca = world.DataHome() / "vkcert" / "tokens" / "demo-ca.crt";
    const std::unique_ptr<BIO, decltype(&BIO_free)> pem(BIO_new_file(ca.c_str(), "r"), &BIO_free);
    const std::unique_ptr<X509, decltype(&X509_free)> cert(
        PEM_read_bio_X509(pem.get(), nullptr, nullptr, nullptr), &X509_free);
    ASSERT_TRUE(cert) << ca;
    const std::string from = EnglishDate(X509_get0_notBefore(cert.get()));
    const std::string to = EnglishDate(X509_get0_notAfter(cert.get()));
    for (const char* lang :
         {"en_US.UTF-8", "en_GB.UTF-8", "en_AU.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "it"}) {
        const clitest::Result r =
            Cli({"cert", ca.string()}, {"TZ=UTC", "LC_ALL=", "LC_MESSAGES=", "LANG="s + lang});
        ASSERT_EQ(r.exitCode, 0) << lang << ": " << r.err;
        EXPECT_EQ(Row(r.out, "Valid from"), (Fields{"Valid from", from, from})) << lang;
        EXPECT_EQ(Row(r.out, "Valid to"), (Fields{"Valid to", to, to})) << lang;
    }
}

TEST_F(CertTexts, DisguisedNamesShowEveryCharacterFromAFileAndFromAToken) {
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

    const clitest::Result r = Cli({"cert", file.string()}, {"TZ=UTC"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ControlCount(r.out), 0u);
    // The name strings' escapes, their backslashes doubled by the rows' escaping.
    const std::string simple =
        R"("\\x1B]0;owned\\x07", "\\x0Awww.bank.example", www.bank.example\\x00.evil.example)";
    const std::string x500 =
        R"(CN=www.bank.example\\x00.evil.example\r\nOU=\\x0Awww.bank.example\r\nO=\\x1B]0;owned\\x07)";
    EXPECT_EQ(Row(r.out, "Subject"), (Fields{"Subject", simple, x500}));
    EXPECT_EQ(Row(r.out, "Issuer"), (Fields{"Issuer", simple, x500}));

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
    const clitest::Result imported =
        Vktoken({"import-pfx", "Velkora Pro Demo", "disguised", pfxFile.string(), "--pin",
                 "12345678", "--password", "pw"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const clitest::Result list = Cli({"list"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(ControlCount(list.out), 0u);
    const Fields lines = clitest::Lines(list.out);
    EXPECT_NE(
        std::ranges::find(lines, R"(    www.bank.example\x00.evil.example (Exchange Key, 2048))"),
        lines.end())
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

}  // namespace
