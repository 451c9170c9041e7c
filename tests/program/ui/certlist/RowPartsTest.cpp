// The parts of the certificate rows that stand without a certificate: the algorithm name lookup
// and the key view's public key row. Rows of whole certificates are in CertificateRowsTest.cpp;
// their text formats are checked against OpenSSL through vkcert-cli cert (tests/tools).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/cert/CertApi.h"
#include "program/core/sdp/singleton_auto_pointer.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/CAlgoIDToName.h"
#include "program/ui/certlist/CPublicKeyItemInfo2.h"
#include "program/ui/certlist/RowFormats.h"
#include "res/resource.h"

namespace {

using namespace SSertListItemInfo;

TEST(AlgoIDToName, PlatformNameThenTableThenNotFound) {
    const SLocalTools::CAlgoIDToName table;
    // The table keeps the first name of a repeated identifier.
    EXPECT_EQ(table.TableName("1.2.840.113549.1.7.5"), L"RSA_digestedData");
    EXPECT_EQ(table.TableName("2.16.840.1.101.2.1.1.21"), L"INFOSEC_mosaicUpdatedInteg");
    // The platform names signature algorithms in its own words; the table answers the rest.
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1.5"), L"sha1RSA");
    EXPECT_EQ(table.TableName("1.2.840.113549.1.1.5"), L"RSA_SHA1RSA");
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1"), L"PKCS_1");
    for (const char* oid : {"1.2.840.113549.1.1.5.1", "1.2.840.113549.1.1.5 ", ""}) {
        EXPECT_EQ(table.GetAlgorithmName(oid), L"Algorithm name not found !!!") << oid;
    }
    // The accessor shares the start-up instance.
    const SDP::singleton_auto_pointer<SLocalTools::CAlgoIDToName> startUp;
    EXPECT_EQ(&SLocalTools::AlgoIDToName(), startUp.get());
}

// A public key blob as the token exports it, from the software provider.
std::vector<BYTE> ExportedPublicKeyBlob(DWORD bits) {
    HCRYPTPROV prov = 0;
    EXPECT_TRUE(CryptAcquireContextW(&prov, nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL,
                                     CRYPT_VERIFYCONTEXT));
    HCRYPTKEY key = 0;
    EXPECT_TRUE(CryptGenKey(prov, CALG_RSA_KEYX, (bits << 16) | CRYPT_EXPORTABLE, &key));
    DWORD size = 0;
    EXPECT_TRUE(CryptExportKey(key, 0, PUBLICKEYBLOB, 0, nullptr, &size));
    std::vector<BYTE> blob(size);
    EXPECT_TRUE(CryptExportKey(key, 0, PUBLICKEYBLOB, 0, blob.data(), &size));
    blob.resize(size);
    CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);
    return blob;
}

TEST(KeyPublicKeyRow, ShowsTheExportedKeyAndItsEncoding) {
    const auto blob = ExportedPublicKeyBlob(1024);
    const auto row = MakeKeyPublicKeyRow(L"Public Key", blob);
    EXPECT_EQ(row->GetName(), L"Public Key");
    EXPECT_EQ(row->GetValue(), L"RSA1 (1024)");
    EXPECT_EQ(row->GetIconId(), UINT{IDI_ROW_TEXT});
    // RSAPublicKey of a 1024-bit modulus: SEQUENCE (0x89 bytes), INTEGER of 129 bytes. The
    // blob stores the modulus least significant first; the encoding carries it most significant
    // first, after the 00 of a positive INTEGER.
    const BYTE* modulus = blob.data() + sizeof(BLOBHEADER) + sizeof(RSAPUBKEY);
    std::vector<BYTE> reversed(modulus, modulus + 128);
    std::reverse(reversed.begin(), reversed.end());
    std::vector<BYTE> expected{0x30, 0x81, 0x89, 0x02, 0x81, 0x81, 0x00};
    expected.insert(expected.end(), reversed.begin(), reversed.end());
    expected.insert(expected.end(), {0x02, 0x03, 0x01, 0x00, 0x01});
    EXPECT_EQ(row->GetDetail(), HexDumpText(expected));

    // Blobs that cannot be encoded are refused.
    auto cut = blob;
    cut.resize(cut.size() - 1);  // the header promises one more modulus byte
    EXPECT_THROW(MakeKeyPublicKeyRow(L"Public Key", cut), SVKCERT::SEXCPT::CCertException);
    EXPECT_THROW(MakeKeyPublicKeyRow(L"Public Key", std::vector<BYTE>(10, 0)),
                 SVKCERT::SEXCPT::CCertException);
    EXPECT_EQ(KeySummaryText(std::vector<BYTE>(10, 0)), L"");
    auto wrongMagic = blob;
    wrongMagic[sizeof(BLOBHEADER)] = 'X';
    EXPECT_THROW(MakeKeyPublicKeyRow(L"Public Key", wrongMagic), SVKCERT::SEXCPT::CCertException);
}

}  // namespace
