// The certificate view's rows for certificates made by openssl, the algorithm names and the key
// view's public key row. Every row against OpenSSL for every CA certificate is checked through
// vkcert-cli cert.
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "CertTestUtil.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/text/Utf.h"
#include "program/app/UiLanguage.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/BuildCertificateRows.h"
#include "program/ui/certlist/CAlgoIDToName.h"
#include "program/ui/certlist/CPublicKeyItemInfo2.h"
#include "program/ui/certlist/RowFormats.h"
#include "res/resource.h"
#include "support/TempWorld.h"

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

// openssl's "notBefore=Dec  6 20:32:06 2026 GMT" three hours east, in Russian.
std::wstring RussianDate(const fs::path& pem, const std::string& which) {
    const std::string out = certtest::Openssl({"x509", "-in", pem.string(), "-noout", "-" + which});
    std::tm tm{};
    EXPECT_NE(strptime(out.substr(out.find('=') + 1).c_str(), "%b %d %H:%M:%S %Y GMT", &tm),
              nullptr);
    const time_t t = timegm(&tm) + 3 * 3600;
    gmtime_r(&t, &tm);
    static const char* const kMonths[] = {"января",   "февраля", "марта",  "апреля",
                                          "мая",      "июня",    "июля",   "августа",
                                          "сентября", "октября", "ноября", "декабря"};
    char clock[16];
    std::strftime(clock, sizeof clock, ":%M:%S", &tm);
    return Utf8ToWide(std::to_string(tm.tm_mday) + " " + kMonths[tm.tm_mon] + " " +
                      std::to_string(tm.tm_year + 1900) + " г.   " + std::to_string(tm.tm_hour) +
                      clock);
}

// Nothing else in this program reads the time zone.
void SetTz(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
}

const char kExtensions[] =
    "basicConstraints=critical,CA:TRUE\n"
    "keyUsage=digitalSignature,keyCertSign\n"
    "1.2.3.4=ASN1:UTF8String:hello\n";

// A formatter standing in for the platform's, with its two-call contract: its texts for one-line
// and multi-line requests (null: it fails), and the number of calls.
const wchar_t* g_oneLine = nullptr;
const wchar_t* g_multiLine = nullptr;
int g_formatCalls = 0;

BOOL FakeFormat(DWORD, DWORD, DWORD flags, void*, LPCSTR, const BYTE*, DWORD, void* out,
                DWORD* bytes) {
    ++g_formatCalls;
    const wchar_t* text = flags == 0 ? g_oneLine : g_multiLine;
    const auto needed = static_cast<DWORD>((text ? std::wcslen(text) + 1 : 0) * sizeof(wchar_t));
    if (text == nullptr || (out != nullptr && *bytes < needed)) {
        return FALSE;
    }
    if (out != nullptr) {
        std::memcpy(out, text, needed);
    }
    *bytes = needed;
    return TRUE;
}

}  // namespace

TEST(CertificateRows, ExtensionRowsAndFallbacksVersionOneRowsLocalDatesAndNonCertificates) {
    vktest::TempWorld world;
    SetTz("UTC");
    const auto cert = certtest::MakeCert(world.Root(), "ext", "rsa:1024", "/CN=Ext", kExtensions);
    const auto context = certtest::Context(cert.der);
    const DWORD count = context->pCertInfo->cExtension;
    ASSERT_GE(count, 3u);
    std::size_t basic = 0;
    std::size_t unnamed = 0;
    Rows rows = BuildRows(cert.der);
    ASSERT_EQ(rows.size(), 10u + count);
    EXPECT_EQ(rows[0]->GetValue(), L"V3");
    EXPECT_EQ(rows[8 + count]->GetName(), L"SHA1 Thumbprint");
    for (DWORD i = 0; i < count; ++i) {
        const CERT_EXTENSION& ext = context->pCertInfo->rgExtension[i];
        basic = std::string(ext.pszObjId) == "2.5.29.19" ? 8 + i : basic;
        unnamed = std::string(ext.pszObjId) == "1.2.3.4" ? 8 + i : unnamed;
        EXPECT_EQ(rows[8 + i]->GetValue(), certtest::Format(ext, false)) << ext.pszObjId;
        EXPECT_EQ(rows[8 + i]->GetDetail(), certtest::Format(ext, true)) << ext.pszObjId;
        EXPECT_EQ(rows[8 + i]->GetIconId(), UINT{IDI_ROW_EXTENSION});
    }
    ASSERT_NE(basic, 0u);
    EXPECT_EQ(rows[basic]->GetName(), L"Basic Constraints");
    EXPECT_EQ(rows[basic]->GetValue(), L"Subject Type=CA, Path Length Constraint=None");
    EXPECT_EQ(rows[unnamed]->GetName(), L"") << "an identifier the platform does not name";

    // A failing formatter: fallback texts, no multi-line try after a one-line failure.
    const wchar_t* const failed = L"Can not parse extended struct \r\n (possible Win 98)";
    const wchar_t* const lines = L"\na\nb\r\nc\n";
    const struct {
        const wchar_t *one, *multi, *value, *detail;
        DWORD calls;  // per extension
    } formats[] = {
        {nullptr, nullptr, L"Can not parse extended struct (possible Win 98)", failed, 1},
        {L"one line", nullptr, L"one line", failed, 3},
        {lines, lines, L"\r\na\r\nb\r\nc\r\n", L"\r\na\r\nb\r\nc\r\n", 4}};
    for (const auto& f : formats) {
        std::tie(g_oneLine, g_multiLine, g_formatCalls) = std::tuple(f.one, f.multi, 0);
        rows = BuildRows(cert.der, &FakeFormat);
        ASSERT_EQ(rows.size(), 10u + count);
        EXPECT_EQ(rows[basic]->GetName(), L"Basic Constraints");
        EXPECT_EQ(rows[basic]->GetValue(), f.value);
        EXPECT_EQ(rows[basic]->GetDetail(), f.detail);
        EXPECT_EQ(g_formatCalls, static_cast<int>(f.calls * count));
    }

    rows = BuildRows(cert.der, nullptr);
    ASSERT_EQ(rows.size(), 10u) << "without a formatter there are no extension rows";
    EXPECT_EQ(rows[8]->GetName(), L"SHA1 Thumbprint");

    // A version 1 certificate; captions, their order and English dates are checked on every CA
    // certificate by vkcert-cli.
    const auto v1 =
        certtest::MakeCert(world.Root(), "v1", "rsa:1024", "/C=RU/O=Velkora/CN=Row Test", "", 400);
    auto der = v1.der;
    rows = BuildRows(der);
    ASSERT_EQ(rows.size(), 10u);
    const std::wstring sha1 = rows[8]->GetValue();

    // Bytes that are no certificate add no row: cut, with a byte more, others.
    auto trailing = der;
    trailing.push_back(0);
    for (const auto& input : {std::vector<BYTE>(der.begin(), der.end() - der.size() / 2),
                              trailing,
                              {},
                              {0x30, 0x03, 0x02, 0x01, 0x01},
                              {'h', 'e', 'l', 'l', 'o'}}) {
        int added = 0;
        EXPECT_THROW(SSertListItemInfo::BuildCertificateRows(
                         input, [&added](std::unique_ptr<ISLItemInfo>) { ++added; }),
                     SVKCERT::SEXCPT::CCertException)
            << input.size();
        EXPECT_EQ(added, 0);
    }
    std::fill(der.begin(), der.end(), BYTE{0});
    der.clear();
    der.shrink_to_fit();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i]->GetIconId(), i < 8 ? UINT{IDI_ROW_TEXT} : UINT{IDI_ROW_THUMBPRINT}) << i;
    }
    EXPECT_EQ(rows[0]->GetValue(), L"V1");
    for (std::size_t name : {3, 6}) {
        EXPECT_EQ(rows[name]->GetValue(), L"RU, Velkora, Row Test");
        EXPECT_EQ(rows[name]->GetDetail(), L"CN=Row Test\r\nO=Velkora\r\nC=RU");
    }
    EXPECT_EQ(rows[7]->GetValue(), L"RSA1 (1024)");
    EXPECT_EQ(rows[8]->GetValue(), sha1);

    // Dates in local time of the interface language.
    SetUiLanguage(LANG_RUSSIAN_ID);
    SetTz("UTC-3");
    const Rows russian = BuildRows(v1.der);
    EXPECT_EQ(russian[4]->GetName(), L"Valid from") << "captions stay English";
    EXPECT_EQ(russian[4]->GetValue(), RussianDate(v1.pem, "startdate"));
    EXPECT_EQ(russian[5]->GetDetail(), RussianDate(v1.pem, "enddate"));
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
    SetTz("UTC");
}

TEST(AlgoIDToName, PlatformNameThenTableThenNotFound) {
    const SLocalTools::CAlgoIDToName table;
    // The table keeps the first name of a repeated identifier.
    EXPECT_EQ(table.TableName("1.2.840.113549.1.7.5"), L"RSA_digestedData");
    // The platform names signature algorithms in its own words; the table answers the rest.
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1.5"), L"sha1RSA");
    EXPECT_EQ(table.TableName("1.2.840.113549.1.1.5"), L"RSA_SHA1RSA");
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1"), L"PKCS_1");
    for (const char* oid : {"1.2.840.113549.1.1.5.1", "1.2.840.113549.1.1.5 ", ""}) {
        EXPECT_EQ(table.GetAlgorithmName(oid), L"Algorithm name not found !!!") << oid;
    }
}

TEST(KeyPublicKeyRow, ShowsTheExportedKeyAndItsEncoding) {
    const vk::crypto::EvpPkeyPtr key(EVP_RSA_gen(1024));
    const auto blob = vk::crypto::RsaToPublicKeyBlob(key.get(), CALG_RSA_KEYX).value();
    const auto row = SSertListItemInfo::MakeKeyPublicKeyRow(L"Public Key", blob);
    EXPECT_EQ(row->GetValue(), L"RSA1 (1024)");
    EXPECT_EQ(row->GetIconId(), UINT{IDI_ROW_TEXT});
    // The detail is the RSAPublicKey as OpenSSL encodes it.
    unsigned char* der = nullptr;
    const int size = i2d_PublicKey(key.get(), &der);
    EXPECT_EQ(row->GetDetail(), SSertListItemInfo::HexDumpText(std::vector<BYTE>(der, der + size)));
    OPENSSL_free(der);

    // Blobs that cannot be encoded are refused.
    auto cut = blob;
    cut.resize(cut.size() - 1);  // the header promises one more modulus byte
    auto wrongMagic = blob;
    wrongMagic[sizeof(BLOBHEADER)] = 'X';
    for (const auto& bad : {cut, std::vector<BYTE>(10, 0), wrongMagic}) {
        EXPECT_THROW(SSertListItemInfo::MakeKeyPublicKeyRow(L"Public Key", bad),
                     SVKCERT::SEXCPT::CCertException);
    }
    EXPECT_EQ(SSertListItemInfo::KeySummaryText(std::vector<BYTE>(10, 0)), L"");
}
