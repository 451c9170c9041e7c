// The parts of the certificate rows that stand without a certificate: the algorithm name lookup
// and the key view's public key row. Rows of whole certificates are in CertificateRowsTest.cpp;
// their text formats are checked against OpenSSL through vkcert-cli cert (tests/tools).
#include <gtest/gtest.h>

#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <vector>

#include "platform/cert/CertApi.h"
#include "platform/crypto/KeyBlob.h"
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

TEST(KeyPublicKeyRow, ShowsTheExportedKeyAndItsEncoding) {
    const vk::crypto::EvpPkeyPtr key(EVP_RSA_gen(1024));
    const auto blob = vk::crypto::RsaToPublicKeyBlob(key.get(), CALG_RSA_KEYX).value();
    const auto row = MakeKeyPublicKeyRow(L"Public Key", blob);
    EXPECT_EQ(row->GetName(), L"Public Key");
    EXPECT_EQ(row->GetValue(), L"RSA1 (1024)");
    EXPECT_EQ(row->GetIconId(), UINT{IDI_ROW_TEXT});
    // The detail is the RSAPublicKey as OpenSSL encodes it.
    unsigned char* der = nullptr;
    const int size = i2d_PublicKey(key.get(), &der);
    EXPECT_EQ(row->GetDetail(), HexDumpText(std::vector<BYTE>(der, der + size)));
    OPENSSL_free(der);

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
