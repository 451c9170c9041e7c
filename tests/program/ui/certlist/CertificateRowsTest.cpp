// The rows of the certificate view for certificates made by openssl: their
// order and count, versions, serial numbers, names, dates in both interface
// languages, the public key of RSA and EC keys, extension rows with the
// platform's formatter, without one and with one that fails, thumbprints
// against openssl's, and bytes that are no certificate. The formats on their
// own and the algorithm table are in RowPartsTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CertTestUtil.h"
#include "program/app/UiLanguage.h"
#include "platform/text/Utf.h"
#include "support/TempWorld.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/BuildCertificateRows.h"
#include "program/ui/certlist/CSLTextItemInfo.h"
#include "program/ui/certlist/RowFormats.h"

namespace {

namespace fs = std::filesystem;
using SSertListItemInfo::ISLItemInfo;
using Rows = std::vector<std::unique_ptr<ISLItemInfo>>;

Rows BuildRows(const std::vector<BYTE>& der,
               SSertListItemInfo::FormatObjectFn format = &CryptFormatObject) {
    Rows rows;
    SSertListItemInfo::BuildCertificateRows(
        der, [&rows](std::unique_ptr<ISLItemInfo> row) { rows.push_back(std::move(row)); }, format);
    return rows;
}

std::vector<std::wstring> Captions(const Rows& rows) {
    std::vector<std::wstring> captions;
    for (const auto& row : rows) {
        captions.push_back(row->GetName());
    }
    return captions;
}

const ISLItemInfo& Row(const Rows& rows, const std::wstring& caption) {
    for (const auto& row : rows) {
        if (row->GetName() == caption) {
            return *row;
        }
    }
    ADD_FAILURE() << "no row " << WideToUtf8(caption);
    static const auto none = std::make_unique<SSertListItemInfo::CSLTextItemInfo>(L"", L"");
    return *none;
}

// openssl's fingerprint line "SHA1 Fingerprint=AB:CD:..." as our thumbprint text.
std::wstring OpensslThumbprint(const fs::path& pem, const std::string& digest) {
    std::string out =
        certtest::Openssl({"x509", "-in", pem.string(), "-noout", "-fingerprint", "-" + digest});
    out = out.substr(out.find('=') + 1);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) {
        out.pop_back();
    }
    for (char& c : out) {
        c = c == ':' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return Utf8ToWide(out);
}

// openssl's "notBefore=Dec  6 20:32:06 2026 GMT" as a UTC time.
std::tm OpensslDate(const fs::path& pem, const std::string& which) {
    const std::string out = certtest::Openssl({"x509", "-in", pem.string(), "-noout", "-" + which});
    std::tm tm{};
    EXPECT_NE(strptime(out.substr(out.find('=') + 1).c_str(), "%b %d %H:%M:%S %Y GMT", &tm),
              nullptr);
    const time_t t = timegm(&tm);
    gmtime_r(&t, &tm);  // fills the day of the week
    return tm;
}

std::string Strftime(const char* format, const std::tm& tm) {
    char text[128];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}

std::wstring EnglishDate(const std::tm& tm) {
    const int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    return Utf8ToWide(Strftime("%A, %B ", tm) + std::to_string(tm.tm_mday) +
                      Strftime(", %Y   ", tm) + std::to_string(hour12) + Strftime(":%M:%S %p", tm));
}

std::wstring RussianDate(const std::tm& tm) {
    static const char* const kMonths[] = {"января",   "февраля", "марта",  "апреля",
                                          "мая",      "июня",    "июля",   "августа",
                                          "сентября", "октября", "ноября", "декабря"};
    return Utf8ToWide(std::to_string(tm.tm_mday) + " " + kMonths[tm.tm_mon] + " " +
                      std::to_string(tm.tm_year + 1900) + " г.   " + std::to_string(tm.tm_hour) +
                      Strftime(":%M:%S", tm));
}

class CertificateRows : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_savedTz = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
        if (m_savedTz) {
            setenv("TZ", m_savedTz->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    // A self-signed certificate with a chosen serial number (openssl req -x509).
    certtest::MadeCert SelfSigned(const std::string& name, const std::string& serial) {
        const fs::path pem = Dir() / (name + ".pem");
        certtest::Openssl({"req", "-x509", "-newkey", "rsa:1024", "-nodes", "-keyout",
                           (Dir() / (name + ".key")).string(), "-out", pem.string(), "-subj",
                           "/CN=" + name, "-set_serial", serial, "-days", "2"});
        return {certtest::PemFileToDer(pem), pem};
    }

    fs::path Dir() const { return m_world.Root(); }

    vktest::TempWorld m_world;
    std::optional<std::string> m_savedTz;
};

TEST_F(CertificateRows, VersionOneCertificateHasTenRowsInOrder) {
    const auto cert = certtest::MakeCert(Dir(), "v1", "rsa:2048", "/CN=Row Test/O=Velkora");
    const Rows rows = BuildRows(cert.der);
    const std::vector<std::wstring> expected{
        L"Version",  L"Serial number", L"Algorithm",  L"Issuer",          L"Valid from",
        L"Valid to", L"Subject",       L"Public Key", L"SHA1 Thumbprint", L"MD5 Thumbprint"};
    EXPECT_EQ(Captions(rows), expected);
    EXPECT_EQ(Row(rows, L"Version").GetValue(), L"V1");
    EXPECT_EQ(Row(rows, L"Algorithm").GetValue(), L"sha256RSA");
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(rows[i]->GetIconId(), 170u) << i;
    }
    EXPECT_EQ(rows[8]->GetIconId(), 130u);
    EXPECT_EQ(rows[9]->GetIconId(), 130u);
}

TEST_F(CertificateRows, NamesInSimpleAndReversedX500Form) {
    const auto cert = certtest::MakeCert(Dir(), "names", "rsa:1024", "/C=RU/O=Velkora/CN=Row Test");
    const Rows rows = BuildRows(cert.der);
    for (const wchar_t* caption : {L"Issuer", L"Subject"}) {
        EXPECT_EQ(Row(rows, caption).GetValue(), L"RU, Velkora, Row Test");
        EXPECT_EQ(Row(rows, caption).GetDetail(), L"CN=Row Test\r\nO=Velkora\r\nC=RU");
    }
}

TEST_F(CertificateRows, RsaPublicKeyAndThumbprintsMatchOpenssl) {
    const auto cert = certtest::MakeCert(Dir(), "rsa", "rsa:2048", "/CN=Key");
    const Rows rows = BuildRows(cert.der);
    const ISLItemInfo& key = Row(rows, L"Public Key");
    EXPECT_EQ(key.GetValue(), L"RSA1 (2048)");
    EXPECT_EQ(key.GetDetail().rfind(L"3082 010A 0282 0101", 0), 0u);
    const fs::path pub = Dir() / "rsa.pub.der";
    certtest::Openssl({"rsa", "-in", (Dir() / "rsa.key").string(), "-RSAPublicKey_out", "-outform",
                       "DER", "-out", pub.string()});
    EXPECT_EQ(key.GetDetail(), SSertListItemInfo::HexDumpText(certtest::ReadFile(pub)));

    const std::wstring sha1 = Row(rows, L"SHA1 Thumbprint").GetValue();
    EXPECT_EQ(sha1.size(), 59u);
    EXPECT_EQ(sha1, OpensslThumbprint(cert.pem, "sha1"));
    EXPECT_EQ(Row(rows, L"SHA1 Thumbprint").GetDetail(), sha1);
    const std::wstring md5 = Row(rows, L"MD5 Thumbprint").GetValue();
    EXPECT_EQ(md5.size(), 47u);
    EXPECT_EQ(md5, OpensslThumbprint(cert.pem, "md5"));
}

TEST_F(CertificateRows, EcKeyGivesEmptyPublicKeyTexts) {
    const auto cert = certtest::MakeCert(Dir(), "ec", "ec:prime256v1", "/CN=EC");
    const Rows rows = BuildRows(cert.der);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(Row(rows, L"Public Key").GetValue(), L"");
    EXPECT_EQ(Row(rows, L"Public Key").GetDetail(), L"");
    EXPECT_EQ(Row(rows, L"Algorithm").GetValue(), L"sha256ECDSA");
    EXPECT_EQ(Row(rows, L"SHA1 Thumbprint").GetValue(), OpensslThumbprint(cert.pem, "sha1"));
}

TEST_F(CertificateRows, SerialNumbersAsStoredWithTheirLeadingZero) {
    EXPECT_EQ(Row(BuildRows(SelfSigned("s1000", "0x1000").der), L"Serial number").GetValue(),
              L"10 00");
    // A positive serial whose top bit is set is encoded with a leading 00.
    const Rows rows = BuildRows(SelfSigned("sA3", "0xA30201").der);
    EXPECT_EQ(Row(rows, L"Serial number").GetValue(), L"00 A3 02 01");
    EXPECT_EQ(Row(rows, L"Serial number").GetDetail(), L"00 A3 02 01");
    EXPECT_EQ(Row(rows, L"Version").GetValue(), L"V3");
}

TEST_F(CertificateRows, DatesInLocalTimeOfTheInterfaceLanguage) {
    const auto cert = certtest::MakeCert(Dir(), "dates", "rsa:1024", "/CN=Dates", "", 400);
    const std::tm from = OpensslDate(cert.pem, "startdate");
    const std::tm to = OpensslDate(cert.pem, "enddate");
    Rows rows = BuildRows(cert.der);
    EXPECT_EQ(Row(rows, L"Valid from").GetValue(), EnglishDate(from));
    EXPECT_EQ(Row(rows, L"Valid to").GetValue(), EnglishDate(to));
    EXPECT_EQ(Row(rows, L"Valid to").GetDetail(), EnglishDate(to));

    // Captions stay English; the dates follow the interface language.
    SetUiLanguage(LANG_RUSSIAN_ID);
    rows = BuildRows(cert.der);
    EXPECT_EQ(Captions(rows)[0], L"Version");
    EXPECT_EQ(Captions(rows)[9], L"MD5 Thumbprint");
    EXPECT_EQ(Row(rows, L"Valid from").GetValue(), RussianDate(from));
    EXPECT_EQ(Row(rows, L"Valid to").GetValue(), RussianDate(to));

    // Another time zone moves the local time.
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    setenv("TZ", "UTC-3", 1);
    tzset();
    std::tm shifted = from;
    const time_t later = timegm(&shifted) + 3 * 3600;
    gmtime_r(&later, &shifted);
    EXPECT_EQ(Row(BuildRows(cert.der), L"Valid from").GetValue(), EnglishDate(shifted));
}

const char kExtensions[] =
    "basicConstraints=critical,CA:TRUE\n"
    "keyUsage=digitalSignature,keyCertSign\n"
    "1.2.3.4=ASN1:UTF8String:hello\n";

// The index of the extension in the certificate, as its row follows the Public Key row.
std::size_t ExtensionIndex(const std::vector<BYTE>& der, const char* oid) {
    const auto context = certtest::Context(der);
    const CERT_INFO* info = context->pCertInfo;
    for (DWORD i = 0; i < info->cExtension; ++i) {
        if (std::string(info->rgExtension[i].pszObjId) == oid) {
            return i;
        }
    }
    ADD_FAILURE() << "no extension " << oid;
    return 0;
}

DWORD ExtensionCount(const std::vector<BYTE>& der) {
    return certtest::Context(der)->pCertInfo->cExtension;
}

TEST_F(CertificateRows, ExtensionRowsInTheCertificatesOrder) {
    const auto cert = certtest::MakeCert(Dir(), "ext", "rsa:1024", "/CN=Ext", kExtensions);
    const Rows rows = BuildRows(cert.der);
    const DWORD count = ExtensionCount(cert.der);
    ASSERT_GE(count, 3u);
    ASSERT_EQ(rows.size(), 10u + count);
    EXPECT_EQ(rows[0]->GetValue(), L"V3");
    EXPECT_EQ(rows[7]->GetName(), L"Public Key");
    EXPECT_EQ(rows[8 + count]->GetName(), L"SHA1 Thumbprint");
    EXPECT_EQ(rows[9 + count]->GetName(), L"MD5 Thumbprint");

    const auto& basic = *rows[8 + ExtensionIndex(cert.der, "2.5.29.19")];
    EXPECT_EQ(basic.GetName(), L"Basic Constraints");
    EXPECT_EQ(basic.GetValue(), L"Subject Type=CA, Path Length Constraint=None");
    EXPECT_EQ(basic.GetDetail(), L"Subject Type=CA\r\nPath Length Constraint=None\r\n");
    EXPECT_EQ(rows[8 + ExtensionIndex(cert.der, "2.5.29.15")]->GetName(), L"Key Usage");
    // An identifier the platform does not name.
    EXPECT_EQ(rows[8 + ExtensionIndex(cert.der, "1.2.3.4")]->GetName(), L"");

    const auto context = certtest::Context(cert.der);
    for (DWORD i = 0; i < count; ++i) {
        const CERT_EXTENSION& ext = context->pCertInfo->rgExtension[i];
        EXPECT_EQ(rows[8 + i]->GetValue(), certtest::Format(ext, false)) << ext.pszObjId;
        EXPECT_EQ(rows[8 + i]->GetDetail(), certtest::Format(ext, true)) << ext.pszObjId;
        EXPECT_EQ(rows[8 + i]->GetIconId(), 181u);
    }
}

// Formatters standing in for the platform's, with the same two-call contract.
int g_formatCalls = 0;

BOOL Answer(const std::wstring& text, void* out, DWORD* bytes) {
    const auto needed = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (out != nullptr) {
        if (*bytes < needed) {
            *bytes = needed;
            return FALSE;
        }
        std::memcpy(out, text.c_str(), needed);
    }
    *bytes = needed;
    return TRUE;
}

BOOL FailingFormat(DWORD, DWORD, DWORD, void*, LPCSTR, const BYTE*, DWORD, void*, DWORD*) {
    ++g_formatCalls;
    return FALSE;
}

BOOL OneLineOnlyFormat(DWORD, DWORD, DWORD flags, void*, LPCSTR, const BYTE*, DWORD, void* out,
                       DWORD* bytes) {
    return flags == 0 ? Answer(L"one line", out, bytes) : FALSE;
}

BOOL BareLineFeedFormat(DWORD, DWORD, DWORD, void*, LPCSTR, const BYTE*, DWORD, void* out,
                        DWORD* bytes) {
    return Answer(L"\na\nb\r\nc\n", out, bytes);
}

TEST_F(CertificateRows, ExtensionTextsFallBackWhereFormattingFails) {
    const auto cert = certtest::MakeCert(Dir(), "extfail", "rsa:1024", "/CN=Ext", kExtensions);
    const DWORD count = ExtensionCount(cert.der);
    const std::size_t basic = 8 + ExtensionIndex(cert.der, "2.5.29.19");
    g_formatCalls = 0;
    Rows rows = BuildRows(cert.der, &FailingFormat);
    ASSERT_EQ(rows.size(), 10u + count);
    EXPECT_EQ(g_formatCalls, static_cast<int>(count));  // no multi-line try after a failure
    EXPECT_EQ(rows[basic]->GetName(), L"Basic Constraints");
    EXPECT_EQ(rows[basic]->GetValue(), L"Can not parse extended struct (possible Win 98)");
    EXPECT_EQ(rows[basic]->GetDetail(), L"Can not parse extended struct \r\n (possible Win 98)");

    rows = BuildRows(cert.der, &OneLineOnlyFormat);
    EXPECT_EQ(rows[basic]->GetValue(), L"one line");
    EXPECT_EQ(rows[basic]->GetDetail(), L"Can not parse extended struct \r\n (possible Win 98)");

    rows = BuildRows(cert.der, &BareLineFeedFormat);
    EXPECT_EQ(rows[basic]->GetValue(), L"\r\na\r\nb\r\nc\r\n");
    EXPECT_EQ(rows[basic]->GetDetail(), L"\r\na\r\nb\r\nc\r\n");
}

TEST_F(CertificateRows, WithoutFormatterThereAreNoExtensionRows) {
    const auto cert = certtest::MakeCert(Dir(), "noformat", "rsa:1024", "/CN=Ext", kExtensions);
    const Rows rows = BuildRows(cert.der, nullptr);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[8]->GetName(), L"SHA1 Thumbprint");
}

TEST_F(CertificateRows, BytesThatAreNoCertificateAddNoRow) {
    const auto cert = certtest::MakeCert(Dir(), "bad", "rsa:1024", "/CN=Bad");
    auto cut = cert.der;
    cut.resize(cut.size() / 2);
    auto trailing = cert.der;
    trailing.push_back(0);
    const std::vector<std::vector<BYTE>> inputs{
        {}, {0x30, 0x03, 0x02, 0x01, 0x01}, cut, trailing, {'h', 'e', 'l', 'l', 'o'}};
    for (const auto& input : inputs) {
        int added = 0;
        EXPECT_THROW(SSertListItemInfo::BuildCertificateRows(
                         input, [&added](std::unique_ptr<ISLItemInfo>) { ++added; }),
                     SVKCERT::SEXCPT::CCertException)
            << input.size();
        EXPECT_EQ(added, 0);
    }
}

TEST_F(CertificateRows, RowsOutliveTheBytesTheyWereMadeFrom) {
    Rows rows;
    std::wstring sha1;
    {
        auto der = certtest::MakeCert(Dir(), "life", "rsa:1024", "/CN=Life").der;
        rows = BuildRows(der);
        sha1 = rows[8]->GetValue();
        std::fill(der.begin(), der.end(), BYTE{0});
    }
    EXPECT_EQ(rows[8]->GetValue(), sha1);
    EXPECT_EQ(rows[7]->GetValue(), L"RSA1 (1024)");
    EXPECT_EQ(rows[6]->GetValue(), L"Life");
}

}  // namespace
