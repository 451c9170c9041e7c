// Key blobs against OpenSSL keys: exact layout and round trips for 1024, 2048
// and 4096 bits, the RSAPublicKey DER form, and refusal of malformed blobs.
// The calls that hand blobs out are covered in CryptApiTest.
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/rsa.h>

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

std::vector<BYTE> Le(const EVP_PKEY* key, const char* name, std::size_t len) {
    BIGNUM* bn = nullptr;
    EXPECT_EQ(EVP_PKEY_get_bn_param(key, name, &bn), 1);
    std::vector<BYTE> out(len);
    EXPECT_EQ(BN_bn2lebinpad(bn, out.data(), static_cast<int>(len)), static_cast<int>(len));
    BN_clear_free(bn);
    return out;
}

DWORD Dword(const BYTE* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24;
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
    EXPECT_EQ((*pub)[0], PUBLICKEYBLOB);
    EXPECT_EQ((*pub)[1], CUR_BLOB_VERSION);
    EXPECT_EQ((*pub)[2], 0);
    EXPECT_EQ((*pub)[3], 0);
    EXPECT_EQ(Dword(pub->data() + 4), CALG_RSA_KEYX);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pub->data() + 8), 4), "RSA1");
    EXPECT_EQ(Dword(pub->data() + 12), bits);
    EXPECT_EQ(Dword(pub->data() + 16), 65537u);
    EXPECT_EQ(std::vector<BYTE>(pub->begin() + 20, pub->end()),
              Le(key, OSSL_PKEY_PARAM_RSA_N, full));

    auto priv = RsaToPrivateKeyBlob(key, CALG_RSA_SIGN);
    ASSERT_TRUE(priv);
    ASSERT_EQ(priv->size(), 20 + full + 5 * half + full);
    EXPECT_EQ((*priv)[0], PRIVATEKEYBLOB);
    EXPECT_EQ(Dword(priv->data() + 4), CALG_RSA_SIGN);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(priv->data() + 8), 4), "RSA2");
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

    auto parsedPriv = ParseRsaKeyBlob(priv->data(), priv->size());
    ASSERT_TRUE(parsedPriv);
    EXPECT_EQ(parsedPriv->type, PRIVATEKEYBLOB);
    EXPECT_EQ(parsedPriv->alg, CALG_RSA_SIGN);
    // The rebuilt key is the same pair: its private blob is byte for byte the first.
    auto again = RsaToPrivateKeyBlob(parsedPriv->key.get(), CALG_RSA_SIGN);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *priv);

    // And it works as the key: what the original signs, the rebuilt key verifies.
    const unsigned char digest[32] = {1, 2, 3};
    std::vector<unsigned char> sig(EVP_PKEY_get_size(key));
    size_t sigLen = sig.size();
    EVP_PKEY_CTX* sign = EVP_PKEY_CTX_new(parsedPriv->key.get(), nullptr);
    ASSERT_EQ(EVP_PKEY_sign_init(sign), 1);
    ASSERT_EQ(EVP_PKEY_CTX_set_signature_md(sign, EVP_sha256()), 1);
    ASSERT_EQ(EVP_PKEY_sign(sign, sig.data(), &sigLen, digest, sizeof digest), 1);
    EVP_PKEY_CTX_free(sign);
    EVP_PKEY_CTX* verify = EVP_PKEY_CTX_new(const_cast<EVP_PKEY*>(key), nullptr);
    ASSERT_EQ(EVP_PKEY_verify_init(verify), 1);
    ASSERT_EQ(EVP_PKEY_CTX_set_signature_md(verify, EVP_sha256()), 1);
    EXPECT_EQ(EVP_PKEY_verify(verify, sig.data(), sigLen, digest, sizeof digest), 1);
    EVP_PKEY_CTX_free(verify);
}

INSTANTIATE_TEST_SUITE_P(Bits, KeyBlobSizes, ::testing::Values(1024u, 2048u, 4096u));

TEST(KeyBlob, RsaPublicKeyDerOfA2048BitKeyAndBack) {
    auto pub = RsaToPublicKeyBlob(Key(2048), CALG_RSA_KEYX);
    ASSERT_TRUE(pub);
    auto der = PublicKeyBlobToRsaPublicKeyDer(pub->data(), pub->size());
    ASSERT_TRUE(der);
    const std::vector<BYTE> head = {0x30, 0x82, 0x01, 0x0A, 0x02, 0x82, 0x01, 0x01};
    ASSERT_GE(der->size(), head.size());
    EXPECT_EQ(std::vector<BYTE>(der->begin(), der->begin() + 8), head);
    EXPECT_EQ(der->size(), 270u);
    auto back = RsaPublicKeyDerToPublicKeyBlob(der->data(), der->size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, *pub);

    // A trailing byte or a cut makes it something else than one key.
    auto longer = *der;
    longer.push_back(0);
    EXPECT_FALSE(RsaPublicKeyDerToPublicKeyBlob(longer.data(), longer.size()));
    EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
    EXPECT_FALSE(RsaPublicKeyDerToPublicKeyBlob(der->data(), der->size() - 1));
    EXPECT_EQ(GetLastError(), CRYPT_E_BAD_ENCODE);
    // A private blob has no RSAPublicKey form.
    auto priv = RsaToPrivateKeyBlob(Key(1024), CALG_RSA_KEYX);
    EXPECT_FALSE(PublicKeyBlobToRsaPublicKeyDer(priv->data(), priv->size()));
    EXPECT_EQ(GetLastError(), NTE_BAD_TYPE);
}

TEST(KeyBlob, MalformedBlobsAreRefusedWithTheirCodes) {
    auto priv = RsaToPrivateKeyBlob(Key(1024), CALG_RSA_KEYX);
    ASSERT_TRUE(priv);
    auto expectRefused = [](SecureBytes blob, DWORD code, const char* what) {
        SetLastError(0);
        EXPECT_FALSE(ParseRsaKeyBlob(blob.data(), blob.size())) << what;
        EXPECT_EQ(GetLastError(), code) << what;
    };
    SecureBytes b = *priv;
    b[0] = 0x1;  // SIMPLEBLOB
    expectRefused(b, NTE_BAD_TYPE, "type");
    b = *priv;
    b[1] = 1;
    expectRefused(b, NTE_BAD_VER, "version");
    b = *priv;
    b[5] = 0x66;  // CALG_RC2
    b[4] = 0x02;
    expectRefused(b, NTE_BAD_ALGID, "algorithm");
    b = *priv;
    b[11] = '1';  // RSA1 magic in a private blob
    expectRefused(b, NTE_BAD_DATA, "magic");
    b = *priv;
    b.pop_back();
    expectRefused(b, NTE_BAD_DATA, "short");
    b = *priv;
    b.push_back(0);
    expectRefused(b, NTE_BAD_DATA, "long");
    b = *priv;
    b[20 + 128] ^= 0x01;  // prime1 no longer divides the modulus
    expectRefused(b, NTE_BAD_DATA, "primes");
    expectRefused(SecureBytes(b.begin(), b.begin() + 10), NTE_BAD_DATA, "header only");
    SetLastError(0);
    EXPECT_FALSE(ParseRsaKeyBlob(nullptr, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_DATA);
}

TEST(KeyBlob, KeysOtherThanRsaFailCleanly) {
    EvpPkeyPtr ec(EVP_EC_gen("P-256"));
    ASSERT_TRUE(ec);
    SetLastError(0);
    EXPECT_FALSE(RsaToPublicKeyBlob(ec.get(), CALG_RSA_KEYX));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    EXPECT_FALSE(RsaToPrivateKeyBlob(ec.get(), CALG_RSA_KEYX));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    EXPECT_FALSE(RsaToPublicKeyBlob(nullptr, CALG_RSA_KEYX));
    // A public key alone has no private blob.
    auto pub = RsaToPublicKeyBlob(Key(1024), CALG_RSA_KEYX);
    auto parsed = ParseRsaKeyBlob(pub->data(), pub->size());
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(RsaToPrivateKeyBlob(parsed->key.get(), CALG_RSA_KEYX));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
}
