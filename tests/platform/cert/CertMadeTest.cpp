// Certificates made by openssl at test time with chosen names, keys, dates and extensions,
// decoded and shown by the platform calls. The CA bundle is in CaCertificatesTest.cpp;
// versions and serials with the certificate rows (tests/program/ui/certlist) and vkcert-cli.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <tuple>

#include "CertTestUtil.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "support/TempWorld.h"

namespace {

using certtest::Format;
using certtest::MakeCert;
using certtest::NameString;

constexpr DWORD kEnc = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr DWORD kX500View = 0x1A000003;

class CertMade : public ::testing::Test {
protected:
    vktest::TempWorld world;
    std::filesystem::path dir = world.Root();
    certtest::ContextPtr Make(const std::string& name, const std::string& subject,
                              const std::string& ext = "",
                              const std::string& key = "ec:prime256v1") {
        auto c = certtest::Context(MakeCert(dir, name, key, subject, ext).der);
        EXPECT_TRUE(c) << name;
        return c;
    }
};

// The common names of the name, in order, as the program walks its attributes.
std::vector<std::wstring> CommonNames(const CERT_NAME_BLOB& name) {
    std::vector<std::wstring> out;
    for (const auto& [oid, value] : certtest::Attributes(name)) {
        if (oid == szOID_COMMON_NAME) {
            out.push_back(value);
        }
    }
    return out;
}

std::vector<BYTE> RsaBlob(PCCERT_CONTEXT ctx, DWORD* error) {
    const CRYPT_BIT_STRING_BLOB& bits = ctx->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    DWORD size = 0;
    SetLastError(0);
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

}  // namespace

TEST_F(CertMade, QuotingSeparatorsAndOrderFollowTheFlags) {
    auto c = Make("quote", "/C=RU/O=Smith, Jones \"and\" Co/OU= padded /CN=a+CN=b/UID=x=y");
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

    // Each of the other characters that force quoting, alone in a value.
    auto more = Make("quote2",
                     "/O=a;b/OU=x<y/L=p>q/ST=#lead/CN=semi;/street=plus\\+sign/"
                     "description=line\nbreak/postalCode=cr\rret/title=none");
    ASSERT_TRUE(more);
    EXPECT_EQ(NameString(more->pCertInfo->Subject, CERT_X500_NAME_STR),
              L"O=\"a;b\", OU=\"x<y\", L=\"p>q\", S=\"#lead\", CN=\"semi;\", STREET=\"plus+sign\", "
              L"Description=\"line\\x0Abreak\", PostalCode=\"cr\\x0Dret\", T=none");
}

// One RSA certificate valid past 2049: the key, both time forms, damage and lazy decoding.
TEST_F(CertMade, NamesKeysAndDatesDecodeAsOpensslReadsThemAndDamageIsContained) {
    const auto rsa = MakeCert(dir, "rsa", "rsa:2048", "/CN=Lazy", "", 365 * 60);
    auto c = certtest::Context(rsa.der);
    ASSERT_TRUE(c);
    DWORD error = 0;
    const auto blob = RsaBlob(c.get(), &error);
    ASSERT_EQ(blob.size(), 8u + 12 + 256);
    EXPECT_EQ(blob[0], PUBLICKEYBLOB);
    EXPECT_EQ(std::memcmp(blob.data() + 8, "RSA1", 4), 0);
    RSAPUBKEY key{};
    std::memcpy(&key, blob.data() + 8, sizeof key);
    EXPECT_EQ(key.bitlen, 2048u);
    EXPECT_EQ(key.pubexp, 65537u);
    // The modulus, least significant byte first, is openssl's "Modulus=..." read backwards.
    std::vector<BYTE> n(blob.rbegin(), blob.rend() - 20);
    EXPECT_EQ("Modulus=" + certtest::Hex(n, "", true) + "\n",
              certtest::Openssl({"x509", "-in", rsa.pem.string(), "-noout", "-modulus"}));

    // Encoded back, the blob is the certificate's key.
    const CRYPT_BIT_STRING_BLOB& pub = c->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    std::vector<BYTE> der(pub.cbData + 16);
    DWORD size = static_cast<DWORD>(der.size());
    ASSERT_TRUE(CryptEncodeObject(kEnc, RSA_CSP_PUBLICKEYBLOB, blob.data(), der.data(), &size));
    EXPECT_EQ(std::vector<BYTE>(der.begin(), der.begin() + size),
              std::vector<BYTE>(pub.pbData, pub.pbData + pub.cbData));

    for (const char* other : {"ec:prime256v1", "ed25519"}) {
        auto k = certtest::Context(MakeCert(dir, "k", other, "/CN=Not RSA").der);
        ASSERT_TRUE(k);
        error = 0;
        EXPECT_TRUE(RsaBlob(k.get(), &error).empty());
        EXPECT_EQ(error, CRYPT_E_ASN1_BADTAG) << other;
        EXPECT_EQ(NameString(k->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"Not RSA");
        EXPECT_EQ(certtest::Hash(k.get(), CALG_SHA1).size(), 20u);
    }

    // Validity past 2049 is written as GeneralizedTime, the start as UTCTime.
    auto expect = [&](const FILETIME& ft, const char* field) {
        std::string out = certtest::Openssl({"x509", "-in", rsa.pem.string(), "-noout", field});
        std::tm tm{};
        std::istringstream in(out.substr(out.find('=') + 1));
        in >> std::get_time(&tm, "%b %d %H:%M:%S %Y");
        const auto t = (static_cast<std::uint64_t>(timegm(&tm)) + 11644473600ULL) * 10000000ULL;
        EXPECT_EQ((std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime, t) << field;
    };
    expect(c->pCertInfo->NotBefore, "-startdate");
    expect(c->pCertInfo->NotAfter, "-enddate");
    const auto text = certtest::Openssl({"asn1parse", "-in", rsa.pem.string()});
    EXPECT_NE(text.find("UTCTIME"), std::string::npos);
    EXPECT_NE(text.find("GENERALIZEDTIME"), std::string::npos);

    // Nothing, a cut, a trailing byte, a wrong outer tag.
    auto bytes = rsa.der;
    auto longer = bytes;
    longer.push_back(0);
    auto wrongTag = bytes;
    wrongTag[0] = 0x31;
    for (const auto& bad :
         {std::vector<BYTE>{}, std::vector<BYTE>(bytes.begin(), bytes.begin() + 1),
          std::vector<BYTE>(bytes.begin(), bytes.end() - 1), longer, wrongTag}) {
        SetLastError(0);
        EXPECT_FALSE(certtest::Context(bad));
        EXPECT_NE(GetLastError(), 0u);
    }

    // A public key that is not an RSA key any more: names and thumbprints still work,
    // only the key decoding fails.
    auto ctx = certtest::Context(bytes);
    ASSERT_TRUE(ctx);
    const CRYPT_BIT_STRING_BLOB& bits = ctx->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    const auto at = std::search(bytes.begin(), bytes.end(), bits.pbData, bits.pbData + bits.cbData);
    ASSERT_NE(at, bytes.end());
    std::fill(at, at + 4, 0xFF);
    auto broken = certtest::Context(bytes);
    ASSERT_TRUE(broken);
    EXPECT_EQ(NameString(broken->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"Lazy");
    EXPECT_EQ(certtest::Hash(broken.get(), CALG_SHA1).size(), 20u);
    error = 0;
    EXPECT_TRUE(RsaBlob(broken.get(), &error).empty());
    EXPECT_NE(error, 0u);

    // The decoded to-be-signed part.
    std::vector<std::max_align_t> buf(1 << 12);
    size = static_cast<DWORD>(buf.size() * sizeof buf[0]);
    ASSERT_TRUE(CryptDecodeObject(kEnc, X509_CERT_TO_BE_SIGNED, rsa.der.data(),
                                  static_cast<DWORD>(rsa.der.size()), 0, buf.data(), &size));
    const auto* info = reinterpret_cast<const CERT_INFO*>(buf.data());
    EXPECT_EQ(NameString(info->Issuer, CERT_SIMPLE_NAME_STR), L"Lazy");
    EXPECT_STREQ(info->SubjectPublicKeyInfo.Algorithm.pszObjId, "1.2.840.113549.1.1.1");

    // Cyrillic names in UTF8String and BMPString, several common names and none.
    auto utf8 = Make("utf8", "/C=RU/O=ООО Ромашка/CN=Иванов Иван");
    ASSERT_TRUE(utf8);
    EXPECT_EQ(NameString(utf8->pCertInfo->Subject, CERT_SIMPLE_NAME_STR),
              L"RU, ООО Ромашка, Иванов Иван");
    EXPECT_EQ(NameString(utf8->pCertInfo->Subject, kX500View),
              L"CN=Иванов Иван\r\nO=ООО Ромашка\r\nC=RU");

    // BMPString: a hand-made name, CN = "Ёж" and a character beyond the BMP.
    const BYTE bmp[] = {0x30, 0x15, 0x31, 0x13, 0x30, 0x11, 0x06, 0x03, 0x55, 0x04, 0x03, 0x1E,
                        0x0A, 0x04, 0x01, 0x04, 0x36, 0xD8, 0x3D, 0xDD, 0x11, 0x00, 0x21};
    CERT_NAME_BLOB name{sizeof bmp, const_cast<BYTE*>(bmp)};
    EXPECT_EQ(NameString(name, CERT_X500_NAME_STR), L"CN=Ёж\U0001F511!");
    EXPECT_EQ(CommonNames(name), std::vector<std::wstring>{L"Ёж\U0001F511!"});

    auto several = Make("several", "/CN=First/O=Org/CN=Second/CN=Третий");
    auto none = Make("none", "/C=RU/O=Org/OU=Unit");
    ASSERT_TRUE(several && none);
    EXPECT_EQ(CommonNames(several->pCertInfo->Subject),
              (std::vector<std::wstring>{L"First", L"Second", L"Третий"}));
    EXPECT_TRUE(CommonNames(none->pCertInfo->Subject).empty());
    EXPECT_EQ(NameString(none->pCertInfo->Subject, CERT_SIMPLE_NAME_STR), L"RU, Org, Unit");
}

TEST_F(CertMade, CommonExtensionsHaveThePlatformsTextsAndIdentifiersTheirNames) {
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
    auto c = Make("ext", "/CN=Ext", ext);
    ASSERT_TRUE(c);
    auto both = [&](const char* oid) {
        const CERT_EXTENSION* e = certtest::FindExtension(c.get(), oid);
        EXPECT_TRUE(e) << oid;
        return e ? std::make_pair(Format(*e, false), Format(*e, true))
                 : std::make_pair(std::wstring(), std::wstring());
    };
    using Texts = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(both("2.5.29.15"), Texts(L"Digital Signature, Key Encipherment (a0)",
                                       L"Digital Signature, Key Encipherment (a0)\r\n"));
    EXPECT_EQ(both("2.5.29.19"), Texts(L"Subject Type=CA, Path Length Constraint=2",
                                       L"Subject Type=CA\r\nPath Length Constraint=2\r\n"));
    EXPECT_EQ(both("2.5.29.17"),
              Texts(L"DNS Name=example.com, IP Address=10.0.0.1, "
                    L"IP Address=2001:0db8:0000:0000:0000:0000:0000:0001, RFC822 Name=a@b.ru, "
                    L"URL=http://x.example/, Registered ID=1.2.3.4, Other Name: Principal "
                    L"Name=user@corp, Directory Address: CN=Dir Name, C=RU",
                    L"DNS Name=example.com\r\nIP Address=10.0.0.1\r\n"
                    L"IP Address=2001:0db8:0000:0000:0000:0000:0000:0001\r\nRFC822 Name=a@b.ru\r\n"
                    L"URL=http://x.example/\r\nRegistered ID=1.2.3.4\r\nOther Name:\r\n"
                    L"     Principal Name=user@corp\r\nDirectory Address:\r\n     CN=Dir Name\r\n"
                    L"     C=RU\r\n"));
    EXPECT_EQ(both("2.5.29.31"), Texts(L"[1]CRL Distribution Point: Distribution Point Name: "
                                       L"Full Name: URL=http://crl.example.com/ca.crl",
                                       L"[1]CRL Distribution Point\r\n"
                                       L"     Distribution Point Name:\r\n"
                                       L"          Full Name:\r\n"
                                       L"               URL=http://crl.example.com/ca.crl\r\n"));
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
    EXPECT_EQ(both("1.2.3.4.5"),
              Texts(L"0c 05 68 65 6c 6c 6f",
                    L"0000  0c 05 68 65 6c 6c 6f" + std::wstring(27, L' ') + L"  ..hello\r\n"));

    // A known extension whose value does not decode falls back to hex.
    const BYTE junk[] = {0x30, 0x03, 0x02, 0x01};
    CERT_EXTENSION bad{
        const_cast<LPSTR>("2.5.29.19"), FALSE, {sizeof junk, const_cast<BYTE*>(junk)}};
    EXPECT_EQ(Format(bad, false), L"30 03 02 01");

    // Names of algorithms and extensions, lookups, enumeration and thumbprints.
    const std::tuple<const char*, DWORD, const wchar_t*> names[] = {
        {"1.2.840.113549.1.1.5", CRYPT_SIGN_ALG_OID_GROUP_ID, L"sha1RSA"},
        {"1.2.840.10045.4.3.2", CRYPT_SIGN_ALG_OID_GROUP_ID, L"sha256ECDSA"},
        {"1.2.840.113549.1.1.1", 0, L"RSA"},
        {"1.2.840.113549.1.1.1", CRYPT_SIGN_ALG_OID_GROUP_ID, L"-"},
        {"2.5.29.17", 0, L"Subject Alternative Name"},
        {"1.3.6.1.5.5.7.1.1", 0, L"Authority Information Access"},
        {"1.2.840.113549.1.7.5", 0, L"-"},  // left to the program's own table
    };
    for (const auto& [oid, group, name] : names) {
        PCCRYPT_OID_INFO info = CryptFindOIDInfo(CRYPT_OID_INFO_OID_KEY, oid, group);
        EXPECT_EQ(info ? std::wstring(info->pwszName) : L"-", name) << oid;
    }
    EXPECT_EQ(GetLastError(), CRYPT_E_NOT_FOUND);
    ALG_ID sha1 = CALG_SHA1;
    PCCRYPT_OID_INFO byAlg =
        CryptFindOIDInfo(CRYPT_OID_INFO_ALGID_KEY, &sha1, CRYPT_HASH_ALG_OID_GROUP_ID);
    PCCRYPT_OID_INFO byName = CryptFindOIDInfo(CRYPT_OID_INFO_NAME_KEY, L"SHA256rsa", 0);
    ASSERT_TRUE(byAlg && byName);
    EXPECT_STREQ(byAlg->pszOID, "1.3.14.3.2.26");
    EXPECT_STREQ(byName->pszOID, "1.2.840.113549.1.1.11");

    // Enumeration of one group, and stopped by the callback.
    std::pair<int, int> seen{0, 0};  // signature algorithms, others
    EXPECT_TRUE(
        CryptEnumOIDInfo(CRYPT_SIGN_ALG_OID_GROUP_ID, 0, &seen, [](PCCRYPT_OID_INFO i, void* a) {
            auto& [sign, other] = *static_cast<std::pair<int, int>*>(a);
            ++(i->dwGroupId == CRYPT_SIGN_ALG_OID_GROUP_ID ? sign : other);
            return TRUE;
        }));
    EXPECT_GE(seen.first, 15);
    EXPECT_EQ(seen.second, 0);
    EXPECT_FALSE(CryptEnumOIDInfo(0, 0, &seen.second, [](PCCRYPT_OID_INFO, void* a) {
        return ++*static_cast<int*>(a) < 3 ? TRUE : FALSE;
    }));
    EXPECT_EQ(seen.second, 3);

    // Thumbprints of known bytes; short buffers and unknown algorithms.
    const BYTE abc[] = {'a', 'b', 'c'};
    DWORD size = 20;
    std::vector<BYTE> hash(20);
    ASSERT_TRUE(CryptHashCertificate(0, CALG_MD5, 0, abc, 3, hash.data(), &size));
    hash.resize(size);
    EXPECT_EQ(certtest::Hex(hash, ""), "900150983cd24fb0d6963f7d28e17f72");
    size = 4;
    EXPECT_FALSE(CryptHashCertificate(0, CALG_SHA1, 0, abc, 3, hash.data(), &size));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    EXPECT_EQ(size, 20u);
    EXPECT_FALSE(CryptHashCertificate(0, 0x1234, 0, abc, 3, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_ALGID);
}

TEST_F(CertMade, EachKeyUsageBitHasItsOwnWords) {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"dataEncipherment", L"Data Encipherment (10)"},
        {"keyAgreement", L"Key Agreement (08)"},
        {"dataEncipherment,keyAgreement", L"Data Encipherment, Key Agreement (18)"},
        {"nonRepudiation,keyCertSign,encipherOnly,decipherOnly",
         L"Non-Repudiation, Certificate Signing, Encipher Only, Decipher Only (45 80)"},
    };
    for (const auto& [usage, text] : cases) {
        SCOPED_TRACE(usage);
        auto c = Make("ku", "/CN=Usage", std::string("keyUsage=") + usage);
        const CERT_EXTENSION* e = c ? certtest::FindExtension(c.get(), "2.5.29.15") : nullptr;
        ASSERT_TRUE(e);
        EXPECT_EQ(Format(*e, false), text);
        EXPECT_EQ(Format(*e, true), std::wstring(text) + L"\r\n");
    }
    // The two-call pattern of the formatting call: a buffer one character short is refused.
    const BYTE value[] = {0x03, 0x02, 0x01, 0x06};  // keyCertSign, cRLSign
    const std::wstring expected = L"Certificate Signing, Off-line CRL Signing, CRL Signing (06)";
    std::wstring text(expected.size() + 1, L'\0');
    DWORD bytes = 0, shortBytes = expected.size() * sizeof(wchar_t);
    EXPECT_FALSE(CryptFormatObject(kEnc, 0, 0, nullptr, "2.5.29.15", value, sizeof value,
                                   text.data(), &shortBytes));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    ASSERT_TRUE(
        CryptFormatObject(kEnc, 0, 0, nullptr, "2.5.29.15", value, sizeof value, nullptr, &bytes));
    EXPECT_EQ(bytes, shortBytes);
    ASSERT_TRUE(CryptFormatObject(kEnc, 0, 0, nullptr, "2.5.29.15", value, sizeof value,
                                  text.data(), &bytes));
    EXPECT_EQ(text.c_str(), expected);
}
