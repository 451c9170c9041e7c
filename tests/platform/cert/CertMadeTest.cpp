// Certificates made by openssl at test time with chosen contents: version 1
// and 3, Cyrillic names in UTF8String and BMPString, several common names,
// no common name, quoting and the name flags, RSA, EC and Ed25519 keys with
// the RSA-only calls, UTCTime and GeneralizedTime dates, serial numbers, the
// exact texts of the common extensions, damaged certificates and the laziness
// of contexts. The CA bundle is covered in CaCertificatesTest.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <iomanip>
#include <sstream>

#include "CertTestUtil.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "support/TempWorld.h"

namespace {

using certtest::ContextPtr;
using certtest::Format;
using certtest::MakeCert;
using certtest::NameString;

constexpr DWORD kEnc = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr DWORD kX500View = 0x1A000003;

class CertMade : public ::testing::Test {
protected:
    vktest::TempWorld world;
    std::filesystem::path dir = world.Root();
};

// Decodes the name and answers the attributes' text in order, as the program walks them.
std::vector<std::pair<std::string, std::wstring>> Attributes(const CERT_NAME_BLOB& name) {
    DWORD size = 0;
    EXPECT_TRUE(CryptDecodeObject(kEnc, X509_NAME, name.pbData, name.cbData, 0, nullptr, &size));
    std::vector<std::max_align_t> buf(size / sizeof(std::max_align_t) + 1);
    EXPECT_TRUE(CryptDecodeObject(kEnc, X509_NAME, name.pbData, name.cbData, 0, buf.data(), &size));
    const auto* info = reinterpret_cast<const CERT_NAME_INFO*>(buf.data());
    std::vector<std::pair<std::string, std::wstring>> out;
    for (DWORD i = 0; i < info->cRDN; ++i) {
        for (DWORD j = 0; j < info->rgRDN[i].cRDNAttr; ++j) {
            const CERT_RDN_ATTR& a = info->rgRDN[i].rgRDNAttr[j];
            const DWORD n = CertRDNValueToStrW(a.dwValueType, &a.Value, nullptr, 0);
            std::wstring text(n, L'\0');
            EXPECT_EQ(CertRDNValueToStrW(a.dwValueType, &a.Value, text.data(), n), n);
            text.resize(n - 1);
            out.emplace_back(a.pszObjId, text);
        }
    }
    return out;
}

std::wstring LastCommonName(const CERT_NAME_BLOB& name) {
    std::wstring cn;
    for (const auto& [oid, text] : Attributes(name)) {
        if (oid == szOID_COMMON_NAME) {
            cn = text;
        }
    }
    return cn;
}

std::vector<BYTE> RsaBlob(PCCERT_CONTEXT ctx, DWORD* error) {
    const CRYPT_BIT_STRING_BLOB& bits = ctx->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    DWORD size = 0;
    if (!CryptDecodeObject(kEnc, RSA_CSP_PUBLICKEYBLOB, bits.pbData, bits.cbData, 0, nullptr,
                           &size)) {
        *error = GetLastError();
        return {};
    }
    std::vector<BYTE> blob(size);
    EXPECT_TRUE(CryptDecodeObject(kEnc, RSA_CSP_PUBLICKEYBLOB, bits.pbData, bits.cbData, 0,
                                  blob.data(), &size));
    return blob;
}

TEST_F(CertMade, VersionOneAndThreeAndSerialNumberLeastSignificantFirst) {
    auto v1 = MakeCert(dir, "v1", "rsa:2048", "/CN=Plain");
    auto v3 = MakeCert(dir, "v3", "rsa:2048", "/CN=Modern", "basicConstraints=CA:FALSE\n");
    auto c1 = certtest::Context(v1.der);
    auto c3 = certtest::Context(v3.der);
    ASSERT_TRUE(c1 && c3);
    EXPECT_EQ(c1->pCertInfo->dwVersion, CERT_V1);
    EXPECT_EQ(c1->pCertInfo->cExtension, 0u);
    EXPECT_EQ(c3->pCertInfo->dwVersion, CERT_V3);
    ASSERT_TRUE(certtest::FindExtension(c3.get(), "2.5.29.19"));

    // openssl prints the serial most significant first.
    std::string serial = certtest::Openssl({"x509", "-in", v3.pem.string(), "-noout", "-serial"});
    serial = serial.substr(serial.find('=') + 1);
    serial.erase(serial.find_last_not_of("\n") + 1);
    const CRYPT_INTEGER_BLOB& sn = c3->pCertInfo->SerialNumber;
    std::vector<BYTE> bigEndian(sn.pbData, sn.pbData + sn.cbData);
    std::reverse(bigEndian.begin(), bigEndian.end());
    std::string ours = certtest::Hex(bigEndian, "", true);
    ours.erase(0, std::min(ours.find_first_not_of('0'), ours.size() - 1));
    serial.erase(0, std::min(serial.find_first_not_of('0'), serial.size() - 1));
    EXPECT_EQ(ours, serial);
}

TEST_F(CertMade, CyrillicNamesInUtf8AndBmpStrings) {
    auto utf8 = MakeCert(dir, "utf8", "rsa:2048", "/C=RU/O=ООО Ромашка/CN=Иванов Иван");
    auto c = certtest::Context(utf8.der);
    ASSERT_TRUE(c);
    EXPECT_EQ(NameString(c->pCertInfo->Subject, CERT_SIMPLE_NAME_STR),
              L"RU, ООО Ромашка, Иванов Иван");
    EXPECT_EQ(NameString(c->pCertInfo->Subject, kX500View),
              L"CN=Иванов Иван\r\nO=ООО Ромашка\r\nC=RU");

    // BMPString: a hand-made name, CN = "Ёж" and a character beyond the BMP.
    const BYTE bmp[] = {0x30, 0x15, 0x31, 0x13, 0x30, 0x11, 0x06, 0x03, 0x55, 0x04, 0x03, 0x1E,
                        0x0A, 0x04, 0x01, 0x04, 0x36, 0xD8, 0x3D, 0xDD, 0x11, 0x00, 0x21};
    CERT_NAME_BLOB name{sizeof bmp, const_cast<BYTE*>(bmp)};
    EXPECT_EQ(NameString(name, CERT_X500_NAME_STR), L"CN=Ёж\U0001F511!");
    EXPECT_EQ(LastCommonName(name), L"Ёж\U0001F511!");
}

TEST_F(CertMade, SeveralCommonNamesTheLastWinsAndNoCommonName) {
    auto several = MakeCert(dir, "several", "rsa:2048", "/CN=First/O=Org/CN=Second/CN=Третий");
    auto none = MakeCert(dir, "none", "rsa:2048", "/C=RU/O=Org/OU=Unit");
    auto c1 = certtest::Context(several.der);
    auto c2 = certtest::Context(none.der);
    ASSERT_TRUE(c1 && c2);
    EXPECT_EQ(LastCommonName(c1->pCertInfo->Subject), L"Третий");
    EXPECT_EQ(Attributes(c1->pCertInfo->Subject).size(), 4u);
    EXPECT_EQ(LastCommonName(c2->pCertInfo->Subject), L"");
    EXPECT_EQ(NameString(c2->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"RU, Org, Unit");
}

TEST_F(CertMade, QuotingSeparatorsAndOrderFollowTheFlags) {
    auto c =
        certtest::Context(MakeCert(dir, "quote", "rsa:2048",
                                   "/C=RU/O=Smith, Jones \"and\" Co/OU= padded /CN=a+CN=b/UID=x=y")
                              .der);
    ASSERT_TRUE(c);
    const CERT_NAME_BLOB& s = c->pCertInfo->Subject;
    EXPECT_EQ(NameString(s, CERT_X500_NAME_STR),
              L"C=RU, O=\"Smith, Jones \"\"and\"\" Co\", OU=\" padded \", CN=a + CN=b, "
              L"OID.0.9.2342.19200300.100.1.1=\"x=y\"");
    EXPECT_EQ(NameString(s, CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG |
                                CERT_NAME_STR_SEMICOLON_FLAG | CERT_NAME_STR_NO_QUOTING_FLAG),
              L"OID.0.9.2342.19200300.100.1.1=x=y; CN=a + CN=b; OU= padded ; O=Smith, Jones "
              L"\"and\" Co; C=RU");
    EXPECT_EQ(NameString(s, CERT_OID_NAME_STR | CERT_NAME_STR_NO_PLUS_FLAG |
                                CERT_NAME_STR_NO_QUOTING_FLAG),
              L"2.5.4.6=RU, 2.5.4.10=Smith, Jones \"and\" Co, 2.5.4.11= padded , 2.5.4.3=a, "
              L"2.5.4.3=b, 0.9.2342.19200300.100.1.1=x=y");
    EXPECT_EQ(NameString(s, kX500View),
              L"OID.0.9.2342.19200300.100.1.1=x=y\r\nCN=a + CN=b\r\nOU= padded \r\nO=Smith, Jones "
              L"\"and\" Co\r\nC=RU");

    // A short buffer gets a terminated prefix.
    wchar_t small[4];
    EXPECT_EQ(CertNameToStrW(kEnc, &s, CERT_SIMPLE_NAME_STR, small, 4), 4u);
    EXPECT_STREQ(small, L"RU,");
}

TEST_F(CertMade, RsaKeysDecodeToBlobsAndBackWhileOtherKeysFailCleanly) {
    for (int bits : {1024, 2048, 4096}) {
        SCOPED_TRACE(bits);
        auto made =
            MakeCert(dir, "rsa" + std::to_string(bits), "rsa:" + std::to_string(bits), "/CN=RSA");
        auto c = certtest::Context(made.der);
        ASSERT_TRUE(c);
        DWORD error = 0;
        const auto blob = RsaBlob(c.get(), &error);
        ASSERT_EQ(blob.size(), 8 + 12 + static_cast<std::size_t>(bits) / 8);
        EXPECT_EQ(std::memcmp(blob.data() + 8, "RSA1", 4), 0);
        RSAPUBKEY key{};
        std::memcpy(&key, blob.data() + 8, sizeof key);
        EXPECT_EQ(key.bitlen, static_cast<DWORD>(bits));
        EXPECT_EQ(key.pubexp, 65537u);
        EXPECT_EQ(blob[0], PUBLICKEYBLOB);

        // The modulus, least significant byte first, is openssl's read backwards.
        std::string modulus =
            certtest::Openssl({"x509", "-in", made.pem.string(), "-noout", "-modulus"});
        modulus = modulus.substr(modulus.find('=') + 1, static_cast<std::size_t>(bits) / 4);
        std::vector<BYTE> n(blob.begin() + 20, blob.end());
        std::reverse(n.begin(), n.end());
        EXPECT_EQ(certtest::Hex(n, "", true), modulus);

        DWORD size = 0;
        ASSERT_TRUE(CryptEncodeObject(kEnc, RSA_CSP_PUBLICKEYBLOB, blob.data(), nullptr, &size));
        std::vector<BYTE> der(size);
        ASSERT_TRUE(CryptEncodeObject(kEnc, RSA_CSP_PUBLICKEYBLOB, blob.data(), der.data(), &size));
        const CRYPT_BIT_STRING_BLOB& pub = c->pCertInfo->SubjectPublicKeyInfo.PublicKey;
        EXPECT_EQ(der, std::vector<BYTE>(pub.pbData, pub.pbData + pub.cbData));
        if (bits == 2048) {
            EXPECT_EQ(certtest::Hex({der.begin(), der.begin() + 8}), "30 82 01 0a 02 82 01 01");
        }
    }
    for (const char* key : {"ec:prime256v1", "ed25519"}) {
        SCOPED_TRACE(key);
        auto c = certtest::Context(MakeCert(dir, "k", key, "/CN=Not RSA").der);
        ASSERT_TRUE(c);
        DWORD error = 0;
        EXPECT_TRUE(RsaBlob(c.get(), &error).empty());
        EXPECT_NE(error, 0u);
        EXPECT_EQ(NameString(c->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"Not RSA");
        EXPECT_EQ(certtest::Hash(c.get(), CALG_SHA1).size(), 20u);
    }
    EXPECT_STREQ(certtest::Context(MakeCert(dir, "ed", "ed25519", "/CN=E").der)
                     ->pCertInfo->SignatureAlgorithm.pszObjId,
                 "1.3.101.112");
}

TEST_F(CertMade, UtcTimeAndGeneralizedTimeDates) {
    // Validity past 2049 is written as GeneralizedTime, the start as UTCTime.
    auto made = MakeCert(dir, "long", "rsa:2048", "/CN=Long", "", 365 * 60);
    auto c = certtest::Context(made.der);
    ASSERT_TRUE(c);
    auto ticks = [](const FILETIME& ft) {
        return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    };
    auto expected = [&](const char* field) {
        std::string out = certtest::Openssl({"x509", "-in", made.pem.string(), "-noout", field});
        std::tm tm{};
        std::istringstream in(out.substr(out.find('=') + 1));
        in >> std::get_time(&tm, "%b %d %H:%M:%S %Y");
        return (static_cast<std::uint64_t>(timegm(&tm)) + 11644473600ULL) * 10000000ULL;
    };
    EXPECT_EQ(ticks(c->pCertInfo->NotBefore), expected("-startdate"));
    EXPECT_EQ(ticks(c->pCertInfo->NotAfter), expected("-enddate"));
    const auto text = certtest::Openssl({"asn1parse", "-in", made.pem.string()});
    EXPECT_NE(text.find("UTCTIME"), std::string::npos);
    EXPECT_NE(text.find("GENERALIZEDTIME"), std::string::npos);
}

TEST_F(CertMade, CommonExtensionsHaveThePlatformsTexts) {
    const std::string ext =
        "keyUsage=critical,digitalSignature,keyEncipherment\n"
        "basicConstraints=critical,CA:TRUE,pathlen:2\n"
        "subjectAltName=DNS:example.com,IP:10.0.0.1,IP:2001:db8::1,email:a@b.ru,"
        "URI:http://x.example/,RID:1.2.3.4,otherName:1.3.6.1.4.1.311.20.2.3;UTF8:user@corp,"
        "dirName:dir\n"
        "crlDistributionPoints=URI:http://crl.example.com/ca.crl\n"
        "authorityInfoAccess=OCSP;URI:http://ocsp.example.com,caIssuers;URI:http://ca.example.com/"
        "ca.crt\n"
        "certificatePolicies=2.23.140.1.2.1,@pol\n"
        "extendedKeyUsage=serverAuth,clientAuth,1.2.3.5\n"
        "nameConstraints=permitted;DNS:example.com,excluded;IP:192.168.0.0/255.255.0.0\n"
        "1.2.3.4.5=ASN1:UTF8String:hello\n"
        "[dir]\nC=RU\nCN=Dir Name\n"
        "[pol]\npolicyIdentifier=1.3.6.1.4.1.99999.1\nCPS.1=http://cps.example.com\n";
    auto c = certtest::Context(MakeCert(dir, "ext", "rsa:2048", "/CN=Ext", ext).der);
    ASSERT_TRUE(c);
    auto both = [&](const char* oid) {
        const CERT_EXTENSION* e = certtest::FindExtension(c.get(), oid);
        EXPECT_TRUE(e) << oid;
        return e ? std::make_pair(Format(*e, false), Format(*e, true))
                 : std::make_pair(std::wstring(), std::wstring());
    };
    EXPECT_EQ(both("2.5.29.15"),
              std::make_pair(std::wstring(L"Digital Signature, Key Encipherment (a0)"),
                             std::wstring(L"Digital Signature, Key Encipherment (a0)\r\n")));
    EXPECT_EQ(both("2.5.29.19"),
              std::make_pair(std::wstring(L"Subject Type=CA, Path Length Constraint=2"),
                             std::wstring(L"Subject Type=CA\r\nPath Length Constraint=2\r\n")));
    EXPECT_EQ(both("2.5.29.17").first,
              L"DNS Name=example.com, IP Address=10.0.0.1, "
              L"IP Address=2001:0db8:0000:0000:0000:0000:0000:0001, RFC822 Name=a@b.ru, "
              L"URL=http://x.example/, Registered ID=1.2.3.4, Other Name: Principal "
              L"Name=user@corp, Directory Address: CN=Dir Name, C=RU");
    EXPECT_EQ(both("2.5.29.17").second,
              L"DNS Name=example.com\r\nIP Address=10.0.0.1\r\n"
              L"IP Address=2001:0db8:0000:0000:0000:0000:0000:0001\r\nRFC822 Name=a@b.ru\r\n"
              L"URL=http://x.example/\r\nRegistered ID=1.2.3.4\r\nOther Name:\r\n"
              L"     Principal Name=user@corp\r\nDirectory Address:\r\n     CN=Dir Name\r\n"
              L"     C=RU\r\n");
    EXPECT_EQ(
        both("2.5.29.31"),
        std::make_pair(std::wstring(L"[1]CRL Distribution Point: Distribution Point Name: "
                                    L"Full Name: URL=http://crl.example.com/ca.crl"),
                       std::wstring(L"[1]CRL Distribution Point\r\n"
                                    L"     Distribution Point Name:\r\n"
                                    L"          Full Name:\r\n"
                                    L"               URL=http://crl.example.com/ca.crl\r\n")));
    EXPECT_EQ(both("1.3.6.1.5.5.7.1.1").second,
              L"[1]Authority Info Access\r\n"
              L"     Access Method=On-line Certificate Status Protocol (1.3.6.1.5.5.7.48.1)\r\n"
              L"     Alternative Name:\r\n"
              L"          URL=http://ocsp.example.com\r\n"
              L"[2]Authority Info Access\r\n"
              L"     Access Method=Certification Authority Issuer (1.3.6.1.5.5.7.48.2)\r\n"
              L"     Alternative Name:\r\n"
              L"          URL=http://ca.example.com/ca.crt\r\n");
    EXPECT_EQ(both("1.3.6.1.5.5.7.1.1").first,
              L"[1]Authority Info Access: Access Method=On-line Certificate Status Protocol "
              L"(1.3.6.1.5.5.7.48.1), Alternative Name: URL=http://ocsp.example.com, "
              L"[2]Authority Info Access: Access Method=Certification Authority Issuer "
              L"(1.3.6.1.5.5.7.48.2), Alternative Name: URL=http://ca.example.com/ca.crt");
    EXPECT_EQ(both("2.5.29.32").second,
              L"[1]Certificate Policy:\r\n"
              L"     Policy Identifier=2.23.140.1.2.1\r\n"
              L"[2]Certificate Policy:\r\n"
              L"     Policy Identifier=1.3.6.1.4.1.99999.1\r\n"
              L"     [2,1]Policy Qualifier Info:\r\n"
              L"          Policy Qualifier Id=CPS\r\n"
              L"          Qualifier:\r\n"
              L"               http://cps.example.com\r\n");
    EXPECT_EQ(both("2.5.29.37").first,
              L"Server Authentication (1.3.6.1.5.5.7.3.1), Client Authentication "
              L"(1.3.6.1.5.5.7.3.2), Unknown Key Usage (1.2.3.5)");
    EXPECT_EQ(both("2.5.29.30").second,
              L"Permitted\r\n     [1]Subtrees (0..Max):\r\n          DNS Name=example.com\r\n"
              L"Excluded\r\n     [1]Subtrees (0..Max):\r\n"
              L"          IP Address=192.168.0.0 Mask=255.255.0.0\r\n");
    EXPECT_EQ(both("1.2.3.4.5"), std::make_pair(std::wstring(L"0c 05 68 65 6c 6c 6f"),
                                                std::wstring(L"0000  0c 05 68 65 6c 6c 6f") +
                                                    std::wstring(27, L' ') + L"  ..hello\r\n"));

    // Captions of the extensions, and none for an unknown one.
    auto caption = [](const char* oid) {
        PCCRYPT_OID_INFO info = CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, oid, 0);
        return info ? std::wstring(info->pwszName) : std::wstring();
    };
    EXPECT_EQ(caption("2.5.29.17"), L"Subject Alternative Name");
    EXPECT_EQ(caption("1.3.6.1.5.5.7.1.1"), L"Authority Information Access");
    EXPECT_EQ(caption("1.2.3.4.5"), L"");
    EXPECT_EQ(GetLastError(), CRYPT_E_NOT_FOUND);

    // A known extension whose value does not decode falls back to hex.
    const BYTE junk[] = {0x30, 0x03, 0x02, 0x01};
    CERT_EXTENSION bad{
        const_cast<LPSTR>("2.5.29.19"), FALSE, {sizeof junk, const_cast<BYTE*>(junk)}};
    EXPECT_EQ(Format(bad, false), L"30 03 02 01");
}

TEST_F(CertMade, FormatObjectFollowsTheTwoCallPattern) {
    const BYTE value[] = {0x03, 0x02, 0x01, 0x06};  // keyCertSign, cRLSign
    DWORD bytes = 0;
    ASSERT_TRUE(
        CryptFormatObject(kEnc, 0, 0, nullptr, "2.5.29.15", value, sizeof value, nullptr, &bytes));
    const std::wstring expected = L"Certificate Signing, Off-line CRL Signing, CRL Signing (06)";
    EXPECT_EQ(bytes, (expected.size() + 1) * sizeof(wchar_t));
    std::wstring text(expected.size(), L'\0');
    DWORD shortBytes = static_cast<DWORD>(expected.size() * sizeof(wchar_t));
    EXPECT_FALSE(CryptFormatObject(kEnc, 0, 0, nullptr, "2.5.29.15", value, sizeof value,
                                   text.data(), &shortBytes));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    EXPECT_EQ(shortBytes, bytes);
}

TEST_F(CertMade, DamagedCertificatesAreRefusedAndContextsAreLazy) {
    auto made = MakeCert(dir, "lazy", "rsa:2048", "/CN=Lazy");
    std::vector<BYTE> der = made.der;
    // Nothing, a cut, a trailing byte, a wrong outer tag.
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, der.size() / 2, der.size() - 1}) {
        SetLastError(0);
        EXPECT_FALSE(certtest::Context({der.begin(), der.begin() + static_cast<long>(cut)}));
        EXPECT_NE(GetLastError(), 0u);
    }
    auto longer = der;
    longer.push_back(0);
    EXPECT_FALSE(certtest::Context(longer));
    auto wrongTag = der;
    wrongTag[0] = 0x31;
    EXPECT_FALSE(certtest::Context(wrongTag));

    // A public key that is not an RSA key any more: names and thumbprints still work,
    // only the key decoding fails.
    auto ctx = certtest::Context(der);
    ASSERT_TRUE(ctx);
    const CRYPT_BIT_STRING_BLOB& pub = ctx->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    const auto offset = static_cast<std::size_t>(
        std::search(der.begin(), der.end(), pub.pbData, pub.pbData + pub.cbData) - der.begin());
    ASSERT_LT(offset, der.size());
    std::fill(der.begin() + static_cast<long>(offset), der.begin() + static_cast<long>(offset) + 4,
              0xFF);
    auto broken = certtest::Context(der);
    ASSERT_TRUE(broken);
    EXPECT_EQ(NameString(broken->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"Lazy");
    EXPECT_EQ(certtest::Hash(broken.get(), CALG_SHA1).size(), 20u);
    DWORD error = 0;
    EXPECT_TRUE(RsaBlob(broken.get(), &error).empty());
    EXPECT_NE(error, 0u);

    // The decoded to-be-signed part, two-call pattern with a short buffer.
    DWORD size = 0;
    ASSERT_TRUE(CryptDecodeObject(kEnc, X509_CERT_TO_BE_SIGNED, made.der.data(),
                                  static_cast<DWORD>(made.der.size()), 0, nullptr, &size));
    std::vector<std::max_align_t> buf(size / sizeof(std::max_align_t) + 1);
    DWORD shortSize = size - 1;
    EXPECT_FALSE(CryptDecodeObject(kEnc, X509_CERT_TO_BE_SIGNED, made.der.data(),
                                   static_cast<DWORD>(made.der.size()), 0, buf.data(), &shortSize));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    ASSERT_TRUE(CryptDecodeObject(kEnc, X509_CERT_TO_BE_SIGNED, made.der.data(),
                                  static_cast<DWORD>(made.der.size()), 0, buf.data(), &size));
    const auto* info = reinterpret_cast<const CERT_INFO*>(buf.data());
    EXPECT_EQ(NameString(info->Issuer, CERT_SIMPLE_NAME_STR), L"Lazy");
    EXPECT_STREQ(info->SubjectPublicKeyInfo.Algorithm.pszObjId, "1.2.840.113549.1.1.1");
}

TEST(CertOidInfo, SignatureAlgorithmsAndOtherGroupsHaveThePlatformsNames) {
    auto name = [](const char* oid, DWORD group) {
        PCCRYPT_OID_INFO info = CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, oid, group);
        return info ? std::wstring(info->pwszName) : std::wstring(L"-");
    };
    EXPECT_EQ(name("1.2.840.113549.1.1.5", CRYPT_SIGN_ALG_OID_GROUP_ID), L"sha1RSA");
    EXPECT_EQ(name("1.2.840.113549.1.1.4", CRYPT_SIGN_ALG_OID_GROUP_ID), L"md5RSA");
    EXPECT_EQ(name("1.2.840.113549.1.1.2", CRYPT_SIGN_ALG_OID_GROUP_ID), L"md2RSA");
    EXPECT_EQ(name("1.2.840.113549.1.1.11", CRYPT_SIGN_ALG_OID_GROUP_ID), L"sha256RSA");
    EXPECT_EQ(name("1.2.840.10040.4.3", CRYPT_SIGN_ALG_OID_GROUP_ID), L"sha1DSA");
    EXPECT_EQ(name("1.2.840.10045.4.3.2", CRYPT_SIGN_ALG_OID_GROUP_ID), L"sha256ECDSA");
    EXPECT_EQ(name("1.2.840.113549.1.1.1", 0), L"RSA");
    EXPECT_EQ(name("1.2.840.113549.1.1.1", CRYPT_SIGN_ALG_OID_GROUP_ID), L"-");
    EXPECT_EQ(name("1.2.840.113549.1.7.5", 0), L"-");  // left to the program's own table
    ALG_ID sha1 = CALG_SHA1;
    PCCRYPT_OID_INFO byAlg =
        CryptFindOIDInfo(CRYPT_OID_INFO_ALGID_KEY, &sha1, CRYPT_HASH_ALG_OID_GROUP_ID);
    ASSERT_TRUE(byAlg);
    EXPECT_STREQ(byAlg->pszOID, "1.3.14.3.2.26");
    PCCRYPT_OID_INFO byName = CryptFindOIDInfo(CRYPT_OID_INFO_NAME_KEY, L"SHA256rsa", 0);
    ASSERT_TRUE(byName);
    EXPECT_STREQ(byName->pszOID, "1.2.840.113549.1.1.11");

    int count = 0;
    EXPECT_TRUE(CryptEnumOIDInfo(CRYPT_SIGN_ALG_OID_GROUP_ID, 0, &count,
                                 [](PCCRYPT_OID_INFO info, void* arg) {
                                     EXPECT_EQ(info->dwGroupId, CRYPT_SIGN_ALG_OID_GROUP_ID);
                                     ++*static_cast<int*>(arg);
                                     return TRUE;
                                 }));
    EXPECT_GE(count, 15);
    int seen = 0;
    EXPECT_FALSE(CryptEnumOIDInfo(0, 0, &seen, [](PCCRYPT_OID_INFO, void* arg) {
        return ++*static_cast<int*>(arg) < 3 ? TRUE : FALSE;
    }));
    EXPECT_EQ(seen, 3);
}

TEST(CertHash, ThumbprintsOfKnownBytesAndUnknownAlgorithms) {
    const BYTE abc[] = {'a', 'b', 'c'};
    DWORD size = 0;
    ASSERT_TRUE(CryptHashCertificate(0, CALG_SHA1, 0, abc, 3, nullptr, &size));
    std::vector<BYTE> hash(size);
    ASSERT_TRUE(CryptHashCertificate(0, CALG_SHA1, 0, abc, 3, hash.data(), &size));
    EXPECT_EQ(certtest::Hex(hash, ""), "a9993e364706816aba3e25717850c26c9cd0d89d");
    size = 16;
    hash.assign(16, 0);
    ASSERT_TRUE(CryptHashCertificate(0, CALG_MD5, 0, abc, 3, hash.data(), &size));
    EXPECT_EQ(certtest::Hex(hash, ""), "900150983cd24fb0d6963f7d28e17f72");
    size = 4;
    EXPECT_FALSE(CryptHashCertificate(0, CALG_SHA1, 0, abc, 3, hash.data(), &size));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    EXPECT_EQ(size, 20u);
    EXPECT_FALSE(CryptHashCertificate(0, 0x1234, 0, abc, 3, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_ALGID);
}

}  // namespace
