// The parts of the certificate rows that stand without a certificate: the
// text formats, the algorithm name table, the key view's public key row and a
// thumbprint that cannot be computed. Rows of whole certificates are in
// CertificateRowsTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "program/core/sdp/singleton_auto_pointer.h"
#include "platform/cert/CertApi.h"
#include "program/token/CCertException.h"
#include "program/ui/certlist/CAlgoIDToName.h"
#include "program/ui/certlist/CPublicKeyItemInfo2.h"
#include "program/ui/certlist/RowFormats.h"

namespace {

using namespace SSertListItemInfo;

TEST(RowFormats, SerialIsShownMostSignificantFirst) {
    EXPECT_EQ(SerialText(std::vector<BYTE>{0x01, 0x02, 0xA3}), L"A3 02 01");
    EXPECT_EQ(SerialText(std::vector<BYTE>{0x00, 0x10}), L"10 00");
    EXPECT_EQ(SerialText(std::vector<BYTE>{0x7f}), L"7F");
    EXPECT_EQ(SerialText(std::vector<BYTE>{}), L"");
}

TEST(RowFormats, HexDumpGroupsTwoBytes) {
    EXPECT_EQ(HexDumpText(std::vector<BYTE>{0x30, 0x82, 0x01, 0x0A, 0x02}), L"3082 010A 02");
    EXPECT_EQ(HexDumpText(std::vector<BYTE>{0xAB, 0xCD}), L"ABCD");
    EXPECT_EQ(HexDumpText(std::vector<BYTE>{0x0f}), L"0F");
    EXPECT_EQ(HexDumpText(std::vector<BYTE>{}), L"");
}

TEST(RowFormats, LowerHexSeparatesEveryByte) {
    EXPECT_EQ(LowerHexText(std::vector<BYTE>{0xDE, 0xAD, 0x0B}), L"de ad 0b");
    EXPECT_EQ(LowerHexText(std::vector<BYTE>(20, 0xff)).size(), 59u);
    EXPECT_EQ(LowerHexText(std::vector<BYTE>(16, 0x01)).size(), 47u);
}

TEST(RowFormats, KeySummaryReadsMagicAndBitLength) {
    std::vector<BYTE> blob(sizeof(BLOBHEADER) + sizeof(RSAPUBKEY));
    const RSAPUBKEY key{RSA1_MAGIC, 1536, 65537};
    std::memcpy(blob.data() + sizeof(BLOBHEADER), &key, sizeof key);
    EXPECT_EQ(KeySummaryText(blob), L"RSA1 (1536)");
    blob.pop_back();
    EXPECT_EQ(KeySummaryText(blob), L"");
}

TEST(AlgoIDToName, TableKeepsTheFirstNameOfARepeatedIdentifier) {
    const SLocalTools::CAlgoIDToName table;
    EXPECT_EQ(table.TableSize(), 112u);
    EXPECT_EQ(table.TableName("1.2.840.113549.1.7.5"), L"RSA_digestedData");
    EXPECT_EQ(table.TableName("1.2.840.113549"), L"RSA");
    EXPECT_EQ(table.TableName("1.3.6.1.5.5.7.6.2"), L"PKIX_NO_SIGNATURE");
    EXPECT_EQ(table.TableName("2.16.840.1.101.2.1.1.21"), L"INFOSEC_mosaicUpdatedInteg");
    EXPECT_EQ(table.TableName("1.2.840.113549.1.1.5 "), L"");
}

TEST(AlgoIDToName, PlatformNameThenTableThenNotFound) {
    const SLocalTools::CAlgoIDToName table;
    // The platform names signature algorithms in its own words.
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1.5"), L"sha1RSA");
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1.11"), L"sha256RSA");
    EXPECT_EQ(table.TableName("1.2.840.113549.1.1.5"), L"RSA_SHA1RSA");
    // Not a signature algorithm of the platform: the table answers.
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.7.5"), L"RSA_digestedData");
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1"), L"PKCS_1");
    EXPECT_EQ(table.GetAlgorithmName("1.3.14.3.2.26"), L"OIWSEC_sha1");
    // Exact matches only.
    EXPECT_EQ(table.GetAlgorithmName("1.2.840.113549.1.1.5.1"), L"Algorithm name not found !!!");
    EXPECT_EQ(table.GetAlgorithmName("1.2.3.4.5"), L"Algorithm name not found !!!");
    EXPECT_EQ(table.GetAlgorithmName(""), L"Algorithm name not found !!!");
}

TEST(AlgoIDToName, AccessorSharesTheStartUpInstance) {
    const SDP::singleton_auto_pointer<SLocalTools::CAlgoIDToName> startUp;
    EXPECT_EQ(&SLocalTools::AlgoIDToName(), startUp.get());
    EXPECT_EQ(SLocalTools::AlgoIDToName().GetAlgorithmName("2.5.8.1.1"), L"DSALG_RSA");
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
    EXPECT_EQ(row->GetIconId(), 170u);
    // RSAPublicKey of a 1024-bit modulus: SEQUENCE (0x89 bytes), INTEGER of 129 bytes.
    const std::wstring detail = row->GetDetail();
    EXPECT_EQ(detail.substr(0, 17), L"3081 8902 8181 00");
    // The modulus of the blob is stored least significant first; the encoding
    // carries it most significant first, after the 00 of a positive INTEGER.
    const BYTE* modulus = blob.data() + sizeof(BLOBHEADER) + sizeof(RSAPUBKEY);
    std::vector<BYTE> reversed(modulus, modulus + 128);
    std::reverse(reversed.begin(), reversed.end());
    std::vector<BYTE> expected{0x30, 0x81, 0x89, 0x02, 0x81, 0x81, 0x00};
    expected.insert(expected.end(), reversed.begin(), reversed.end());
    expected.insert(expected.end(), {0x02, 0x03, 0x01, 0x00, 0x01});
    EXPECT_EQ(detail, HexDumpText(expected));
}

TEST(KeyPublicKeyRow, BlobsThatCannotBeEncodedAreRefused) {
    auto blob = ExportedPublicKeyBlob(1024);
    auto cut = blob;
    cut.resize(cut.size() - 1);  // the header promises one more modulus byte
    EXPECT_THROW(MakeKeyPublicKeyRow(L"Public Key", cut), SVKCERT::SEXCPT::CCertException);
    EXPECT_THROW(MakeKeyPublicKeyRow(L"Public Key", std::vector<BYTE>(10, 0)),
                 SVKCERT::SEXCPT::CCertException);
    auto wrongMagic = blob;
    wrongMagic[sizeof(BLOBHEADER)] = 'X';
    EXPECT_THROW(MakeKeyPublicKeyRow(L"Public Key", wrongMagic), SVKCERT::SEXCPT::CCertException);
}

}  // namespace
