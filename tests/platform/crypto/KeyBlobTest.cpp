// Key blobs against OpenSSL keys: layout, round trips and refusals. The calls that hand blobs
// out are covered in CryptApiTest.
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>

#include <gtest/gtest.h>

#include <map>

#include "platform/crypto/KeyBlob.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

using namespace vk::crypto;

namespace {

// Generated once per size: 4096-bit keys are slow to make.
const EVP_PKEY* Key(DWORD bits) {
    static std::map<DWORD, EvpPkeyPtr> keys;
    auto& key = keys[bits];
    if (!key) {
        key = GenerateRsaKey(bits);
    }
    return key.get();
}

// A parameter of the key, least significant byte first.
std::vector<BYTE> Le(const EVP_PKEY* key, const char* name, std::size_t len) {
    BIGNUM* bn = nullptr;
    EXPECT_EQ(EVP_PKEY_get_bn_param(key, name, &bn), 1);
    std::vector<BYTE> out(len);
    EXPECT_EQ(BN_bn2lebinpad(bn, out.data(), static_cast<int>(len)), static_cast<int>(len));
    BN_clear_free(bn);
    return out;
}

// The 20 bytes that open a blob: type, version, reserved, algorithm, magic, bits, exponent.
std::vector<BYTE> Header(BYTE type, ALG_ID alg, const char* magic, DWORD bits) {
    std::vector<BYTE> out{type, CUR_BLOB_VERSION, 0, 0};
    for (DWORD v : {alg, DWORD{0}, bits, DWORD{65537}}) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<BYTE>(v >> (8 * i)));
        }
    }
    std::copy(magic, magic + 4, out.begin() + 8);
    return out;
}

class KeyBlobSizes : public ::testing::TestWithParam<DWORD> {};

}  // namespace

TEST_P(KeyBlobSizes, PublicAndPrivateBlobsHaveTheLayoutAndRoundTrip) {
    const DWORD bits = GetParam();
    const EVP_PKEY* key = Key(bits);
    ASSERT_NE(key, nullptr);
    const std::size_t full = bits / 8;
    const std::size_t half = bits / 16;

    auto pub = RsaToPublicKeyBlob(key, CALG_RSA_KEYX);
    ASSERT_TRUE(pub);
    ASSERT_EQ(pub->size(), 20 + full);
    EXPECT_EQ(std::vector<BYTE>(pub->begin(), pub->begin() + 20),
              Header(PUBLICKEYBLOB, CALG_RSA_KEYX, "RSA1", bits));
    EXPECT_EQ(std::vector<BYTE>(pub->begin() + 20, pub->end()),
              Le(key, OSSL_PKEY_PARAM_RSA_N, full));

    auto priv = RsaToPrivateKeyBlob(key, CALG_RSA_SIGN);
    ASSERT_TRUE(priv);
    ASSERT_EQ(priv->size(), 20 + full + 5 * half + full);
    EXPECT_EQ(std::vector<BYTE>(priv->begin(), priv->begin() + 20),
              Header(PRIVATEKEYBLOB, CALG_RSA_SIGN, "RSA2", bits));
    const BYTE* p = priv->data() + 20;
    const std::pair<const char*, std::size_t> fields[] = {
        {OSSL_PKEY_PARAM_RSA_N, full},         {OSSL_PKEY_PARAM_RSA_FACTOR1, half},
        {OSSL_PKEY_PARAM_RSA_FACTOR2, half},   {OSSL_PKEY_PARAM_RSA_EXPONENT1, half},
        {OSSL_PKEY_PARAM_RSA_EXPONENT2, half}, {OSSL_PKEY_PARAM_RSA_COEFFICIENT1, half},
        {OSSL_PKEY_PARAM_RSA_D, full}};
    for (const auto& [name, len] : fields) {
        EXPECT_EQ(std::vector<BYTE>(p, p + len), Le(key, name, len)) << name;
        p += len;
    }

    auto parsedPub = ParseRsaKeyBlob(pub->data(), pub->size());
    ASSERT_TRUE(parsedPub);
    EXPECT_EQ(parsedPub->type, PUBLICKEYBLOB);
    EXPECT_EQ(parsedPub->bits, bits);
    EXPECT_TRUE(SamePublicKey(parsedPub->key.get(), key));
    // The rebuilt key is the same pair: its private blob is byte for byte the first.
    auto parsedPriv = ParseRsaKeyBlob(priv->data(), priv->size());
    ASSERT_TRUE(parsedPriv);
    EXPECT_EQ(parsedPriv->type, PRIVATEKEYBLOB);
    EXPECT_EQ(parsedPriv->alg, CALG_RSA_SIGN);
    EXPECT_EQ(RsaToPrivateKeyBlob(parsedPriv->key.get(), CALG_RSA_SIGN), priv);
}

INSTANTIATE_TEST_SUITE_P(Bits, KeyBlobSizes, ::testing::Values(1024u, 2048u, 4096u));

TEST(KeyBlob, MalformedBlobsAndOtherKeysAreRefusedWithTheirCodes) {
    const auto priv = RsaToPrivateKeyBlob(Key(1024), CALG_RSA_KEYX);
    ASSERT_TRUE(priv);
    const std::size_t n = priv->size();
    struct Case {
        const char* what;
        std::size_t at;  // the byte flipped by the mask
        BYTE mask;
        std::size_t size;  // the blob's size then
        DWORD error;
    } cases[] = {
        {"simple blob type", 0, 0x06, n, NTE_BAD_TYPE},
        {"version", 1, 0x03, n, NTE_BAD_VER},
        {"RC2 algorithm", 5, 0xC2, n, NTE_BAD_ALGID},
        {"public magic", 11, 0x03, n, NTE_BAD_DATA},
        {"prime no divisor", 20 + 128, 0x01, n, NTE_BAD_DATA},
        {"one byte short", 0, 0, n - 1, NTE_BAD_DATA},
        {"one byte long", 0, 0, n + 1, NTE_BAD_DATA},
        {"header only", 0, 0, 10, NTE_BAD_DATA},
    };
    for (const auto& c : cases) {
        SecureBytes b = *priv;
        b[c.at] ^= c.mask;
        b.resize(c.size);
        SetLastError(0);
        EXPECT_FALSE(ParseRsaKeyBlob(b.data(), b.size())) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    EXPECT_FALSE(ParseRsaKeyBlob(nullptr, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_DATA);

    // The RSAPublicKey form: a trailing byte or a cut makes it something else than one key;
    // a private blob has none. (Its round trip is compared with openssl in CertMadeTest.)
    auto pub = RsaToPublicKeyBlob(Key(1024), CALG_RSA_KEYX);
    auto der = PublicKeyBlobToRsaPublicKeyDer(pub->data(), pub->size());
    ASSERT_TRUE(der);
    der->push_back(0);
    EXPECT_FALSE(RsaPublicKeyDerToPublicKeyBlob(der->data(), der->size()));
    EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
    EXPECT_FALSE(RsaPublicKeyDerToPublicKeyBlob(der->data(), der->size() - 2));
    EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
    EXPECT_FALSE(PublicKeyBlobToRsaPublicKeyDer(priv->data(), priv->size()));
    EXPECT_EQ(GetLastError(), NTE_BAD_TYPE);

    EvpPkeyPtr ec(EVP_EC_gen("P-256"));
    ASSERT_TRUE(ec);
    EXPECT_FALSE(RsaToPublicKeyBlob(ec.get(), CALG_RSA_KEYX));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    EXPECT_FALSE(RsaToPrivateKeyBlob(ec.get(), CALG_RSA_KEYX));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    EXPECT_FALSE(RsaToPublicKeyBlob(nullptr, CALG_RSA_KEYX));
    // A public key alone has no private blob.
    auto parsed = ParseRsaKeyBlob(pub->data(), pub->size());
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(RsaToPrivateKeyBlob(parsed->key.get(), CALG_RSA_KEYX));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
}
