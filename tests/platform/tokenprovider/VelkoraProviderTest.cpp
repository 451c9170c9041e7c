// The token provider through the cryptographic calls, over a virtual token in
// a temporary world: container names, enumeration, the provider-specific
// parameters, login, keys, certificates, blobs, and the error codes of each.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/middleware/VKAPIi.h"
#include "platform/token/TokenWorld.h"
#include "support/TempWorld.h"

namespace {

constexpr const wchar_t* kProvider = L"Orvel Velkora CSP v1.0";
constexpr DWORD kSelectReader = 0x10007;
constexpr DWORD kDefaultMark = 0x10009;
constexpr DWORD kLoginState = 0x1000A;

class VelkoraProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        vkstore::TokenWorld world;
        world.AddReader("Reader A");
        world.AddReader("Reader B");
        vkstore::TokenRecordData record;
        record.label = "Token";
        world.CreateToken(record, "1234", 1000, 5);
        world.Insert("Reader A", "Token");
    }

    // A context without container, on a reader.
    HCRYPTPROV Verify(const char* reader = "Reader A") {
        HCRYPTPROV prov = 0;
        EXPECT_TRUE(
            CryptAcquireContextW(&prov, nullptr, kProvider, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
        EXPECT_TRUE(
            CryptSetProvParam(prov, kSelectReader, reinterpret_cast<const BYTE*>(reader), 0));
        return prov;
    }

    BOOL SetPin(const char* pin) {
        HCRYPTPROV prov = Verify();
        BOOL ok =
            CryptSetProvParam(prov, PP_KEYEXCHANGE_PIN, reinterpret_cast<const BYTE*>(pin), 0);
        DWORD error = GetLastError();
        CryptReleaseContext(prov, 0);
        SetLastError(error);
        return ok;
    }

    DWORD LoginState() {
        HCRYPTPROV prov = Verify();
        DWORD state = 7, size = sizeof state;
        EXPECT_TRUE(
            CryptGetProvParam(prov, kLoginState, reinterpret_cast<BYTE*>(&state), &size, 0));
        CryptReleaseContext(prov, 0);
        return state;
    }

    HCRYPTPROV Open(const wchar_t* container, DWORD flags = 0) {
        HCRYPTPROV prov = 0;
        if (!CryptAcquireContextW(&prov, container, kProvider, PROV_RSA_FULL, flags)) {
            return 0;
        }
        return prov;
    }

    std::vector<std::string> Enumerate() {
        HCRYPTPROV prov = Verify();
        std::vector<std::string> names;
        DWORD size = 0;
        if (!CryptGetProvParam(prov, PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST)) {
            EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
            CryptReleaseContext(prov, 0);
            return names;
        }
        std::vector<BYTE> buffer(size);
        DWORD flags = CRYPT_FIRST;
        for (;;) {
            DWORD length = size;
            if (!CryptGetProvParam(prov, PP_ENUMCONTAINERS, buffer.data(), &length, flags)) {
                EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
                break;
            }
            names.emplace_back(reinterpret_cast<const char*>(buffer.data()));
            flags = 0;
        }
        CryptReleaseContext(prov, 0);
        return names;
    }

    vktest::TempWorld m_temp;
};

}  // namespace

TEST_F(VelkoraProviderTest, LoginCountsWrongPinsAndEveryWriteNeedsIt) {
    EXPECT_EQ(LoginState(), 0u);
    EXPECT_EQ(Open(L"\\\\.\\Reader A\\c1", CRYPT_NEWKEYSET), 0u);
    EXPECT_EQ(GetLastError(), SCARD_W_CARD_NOT_AUTHENTICATED);

    EXPECT_FALSE(SetPin("9999"));
    EXPECT_EQ(GetLastError(), SCARD_W_WRONG_CHV);
    EXPECT_FALSE(SetPin(""));
    EXPECT_EQ(GetLastError(), SCARD_W_WRONG_CHV);
    EXPECT_TRUE(SetPin("1234"));
    EXPECT_NE(LoginState(), 0u);

    HCRYPTPROV prov = Open(L"\\\\.\\Reader A\\c1", CRYPT_NEWKEYSET);
    ASSERT_NE(prov, 0u);
    CryptReleaseContext(prov, 0);

    HCRYPTPROV verify = Verify();
    EXPECT_TRUE(CryptSetProvParam(verify, PP_KEYEXCHANGE_PIN, nullptr, 0)) << "logout";
    EXPECT_TRUE(CryptSetProvParam(verify, kLoginState, nullptr, 0));
    CryptReleaseContext(verify, 0);
    EXPECT_EQ(LoginState(), 0u);

    HCRYPTPROV deleted = 0;
    EXPECT_FALSE(CryptAcquireContextW(&deleted, L"\\\\.\\Reader A\\c1", kProvider, PROV_RSA_FULL,
                                      CRYPT_DELETEKEYSET));
    EXPECT_EQ(GetLastError(), SCARD_W_CARD_NOT_AUTHENTICATED);

    for (int i = 0; i < 4; ++i) {
        SetPin("0000");
    }
    EXPECT_FALSE(SetPin("0000"));
    EXPECT_EQ(GetLastError(), SCARD_W_CHV_BLOCKED);
    EXPECT_FALSE(SetPin("1234"));
    EXPECT_EQ(GetLastError(), SCARD_W_CHV_BLOCKED);
}

TEST_F(VelkoraProviderTest, EnumeratesEveryContainerAndTheDefaultOne) {
    EXPECT_TRUE(Enumerate().empty()) << "no containers: ERROR_NO_MORE_ITEMS on the sizing call";
    ASSERT_TRUE(SetPin("1234"));
    const std::vector<std::wstring> names = {L"x", std::wstring(200, L'l'),
                                             L"\u043a\u043b\u044e\u0447", L"mid-sized"};
    for (const auto& name : names) {
        HCRYPTPROV prov = Open((L"\\\\.\\Reader A\\" + name).c_str(), CRYPT_NEWKEYSET);
        ASSERT_NE(prov, 0u);
        CryptReleaseContext(prov, 0);
    }
    auto listed = Enumerate();
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[1], std::string(200, 'l'));
    EXPECT_EQ(listed[2], "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87");

    EXPECT_EQ(Open(L"\\\\.\\Reader A\\"), 0u) << "no default container yet";
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);

    HCRYPTPROV mid = Open(L"\\\\.\\Reader A\\mid-sized");
    ASSERT_NE(mid, 0u);
    DWORD on = 1;
    ASSERT_TRUE(CryptSetProvParam(mid, kDefaultMark, reinterpret_cast<BYTE*>(&on), 0));
    HCRYPTPROV def = Open(L"\\\\.\\Reader A\\");
    ASSERT_NE(def, 0u);
    DWORD size = 0;
    ASSERT_TRUE(CryptGetProvParam(def, PP_CONTAINER, nullptr, &size, 0));
    std::vector<BYTE> name(size);
    ASSERT_TRUE(CryptGetProvParam(def, PP_CONTAINER, name.data(), &size, 0));
    EXPECT_STREQ(reinterpret_cast<const char*>(name.data()), "mid-sized");
    on = 0;
    ASSERT_TRUE(CryptSetProvParam(mid, kDefaultMark, reinterpret_cast<BYTE*>(&on), 0));
    EXPECT_EQ(Open(L"\\\\.\\Reader A\\"), 0u);
    CryptReleaseContext(def, 0);
    CryptReleaseContext(mid, 0);
}

TEST_F(VelkoraProviderTest, RefusesNamesAndReadersItCannotServe) {
    ASSERT_TRUE(SetPin("1234"));
    EXPECT_EQ(Open(L"\\\\.\\Reader A\\missing"), 0u);
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    EXPECT_EQ(Open(L"\\\\.\\Reader Z\\c"), 0u);
    EXPECT_EQ(GetLastError(), SCARD_E_UNKNOWN_READER);
    EXPECT_EQ(Open(L"\\\\.\\Reader B\\c"), 0u);
    EXPECT_EQ(GetLastError(), SCARD_E_NO_SMARTCARD);
    EXPECT_EQ(Open((L"\\\\.\\Reader A\\" + std::wstring(256, L'n')).c_str(), CRYPT_NEWKEYSET), 0u);
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET_PARAM) << "too long: refused, never truncated";
    EXPECT_EQ(Open(L"\\\\.\\Reader A\\a\\b", CRYPT_NEWKEYSET), 0u);
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET_PARAM);
    EXPECT_TRUE(Enumerate().empty()) << "nothing half-made";

    HCRYPTPROV prov = Open(L"\\\\.\\Reader A\\c", CRYPT_NEWKEYSET);
    ASSERT_NE(prov, 0u);
    EXPECT_EQ(Open(L"\\\\.\\Reader A\\c", CRYPT_NEWKEYSET), 0u);
    EXPECT_EQ(GetLastError(), NTE_EXISTS);
    HCRYPTKEY key = 0;
    EXPECT_FALSE(CryptGetUserKey(prov, AT_SIGNATURE, &key));
    EXPECT_EQ(GetLastError(), NTE_NO_KEY);
    CryptReleaseContext(prov, 0);

    HCRYPTPROV verify = 0;
    ASSERT_TRUE(
        CryptAcquireContextW(&verify, nullptr, kProvider, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_FALSE(
        CryptSetProvParam(verify, kSelectReader, reinterpret_cast<const BYTE*>("reader a"), 0));
    EXPECT_EQ(GetLastError(), SCARD_E_UNKNOWN_READER) << "reader names are exact";
    CryptReleaseContext(verify, 0);
}

TEST_F(VelkoraProviderTest, KeysCarryCertificatesAndExportOnlyWhatTheyMay) {
    ASSERT_TRUE(SetPin("1234"));
    HCRYPTPROV prov = Open(L"\\\\.\\Reader A\\keys", CRYPT_NEWKEYSET);
    ASSERT_NE(prov, 0u);
    HCRYPTKEY exchange = 0, signature = 0;
    ASSERT_TRUE(CryptGenKey(prov, AT_KEYEXCHANGE, (1024u << 16) | CRYPT_EXPORTABLE, &exchange));
    ASSERT_TRUE(CryptGenKey(prov, AT_SIGNATURE, 2048u << 16, &signature));

    DWORD bits = 0, size = sizeof bits;
    ASSERT_TRUE(CryptGetKeyParam(signature, KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0));
    EXPECT_EQ(bits, 2048u);
    DWORD permissions = 0;
    size = sizeof permissions;
    ASSERT_TRUE(CryptGetKeyParam(exchange, KP_PERMISSIONS, reinterpret_cast<BYTE*>(&permissions),
                                 &size, 0));
    EXPECT_TRUE(permissions & CRYPT_EXPORT);

    DWORD blobSize = 0;
    ASSERT_TRUE(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize));
    std::vector<BYTE> privateBlob(blobSize);
    ASSERT_TRUE(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, privateBlob.data(), &blobSize));
    EXPECT_EQ(privateBlob[0], PRIVATEKEYBLOB);
    EXPECT_FALSE(CryptExportKey(signature, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY_STATE) << "not exportable";
    ASSERT_TRUE(CryptExportKey(signature, 0, PUBLICKEYBLOB, 0, nullptr, &blobSize));
    EXPECT_EQ(blobSize, 8u + 12u + 256u);

    // A certificate stored with the key.
    EVP_PKEY* pkey = EVP_RSA_gen(1024);
    X509* cert = X509_new();
    X509_set_pubkey(cert, pkey);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_sign(cert, pkey, EVP_sha256());
    unsigned char* der = nullptr;
    int derSize = i2d_X509(cert, &der);
    ASSERT_TRUE(CryptSetKeyParam(exchange, KP_CERTIFICATE, der, 0));
    DWORD certSize = 0;
    ASSERT_TRUE(CryptGetKeyParam(exchange, KP_CERTIFICATE, nullptr, &certSize, 0));
    EXPECT_EQ(certSize, static_cast<DWORD>(derSize));
    std::vector<BYTE> shortBuffer(certSize - 1);
    DWORD shortSize = certSize - 1;
    EXPECT_FALSE(CryptGetKeyParam(exchange, KP_CERTIFICATE, shortBuffer.data(), &shortSize, 0));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    EXPECT_FALSE(CryptGetKeyParam(signature, KP_CERTIFICATE, nullptr, &certSize, 0));
    OPENSSL_free(der);
    X509_free(cert);
    EVP_PKEY_free(pkey);

    // Logged out: the exportable key no longer exports, and import is refused.
    HCRYPTPROV verify = Verify();
    ASSERT_TRUE(CryptSetProvParam(verify, PP_KEYEXCHANGE_PIN, nullptr, 0));
    CryptReleaseContext(verify, 0);
    EXPECT_FALSE(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY_STATE);
    HCRYPTKEY imported = 0;
    EXPECT_FALSE(CryptImportKey(prov, privateBlob.data(), static_cast<DWORD>(privateBlob.size()), 0,
                                CRYPT_EXPORTABLE, &imported));
    EXPECT_EQ(GetLastError(), SCARD_W_CARD_NOT_AUTHENTICATED);

    // Logged in again: the blob imports into another container as an exportable key.
    ASSERT_TRUE(SetPin("1234"));
    HCRYPTPROV other = Open(L"\\\\.\\Reader A\\other", CRYPT_NEWKEYSET);
    ASSERT_TRUE(CryptImportKey(other, privateBlob.data(), static_cast<DWORD>(privateBlob.size()), 0,
                               CRYPT_EXPORTABLE, &imported));
    std::vector<BYTE> again(privateBlob.size());
    blobSize = static_cast<DWORD>(again.size());
    ASSERT_TRUE(CryptExportKey(imported, 0, PRIVATEKEYBLOB, 0, again.data(), &blobSize));
    EXPECT_EQ(again, privateBlob);

    for (HCRYPTKEY k : {exchange, signature, imported}) {
        CryptDestroyKey(k);
    }
    CryptReleaseContext(prov, 0);
    CryptReleaseContext(other, 0);
}

TEST_F(VelkoraProviderTest, HandlesOpenedBeforeARemovalStayDead) {
    ASSERT_TRUE(SetPin("1234"));
    HCRYPTPROV prov = Open(L"\\\\.\\Reader A\\c", CRYPT_NEWKEYSET);
    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGenKey(prov, AT_SIGNATURE, 1024u << 16, &key));
    {
        vkstore::TokenWorld world;
        world.Remove("Reader A");
        world.Insert("Reader A", "Token");
    }
    DWORD bits = 0, size = sizeof bits;
    EXPECT_FALSE(CryptGetKeyParam(key, KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0));
    EXPECT_EQ(GetLastError(), SCARD_W_REMOVED_CARD);
    size = 0;
    EXPECT_FALSE(CryptGetProvParam(prov, PP_CONTAINER, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), SCARD_W_REMOVED_CARD);
    EXPECT_EQ(LoginState(), 0u) << "the login ended with the removal";
    CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);

    // A container deleted and made again is another container to old handles.
    ASSERT_TRUE(SetPin("1234"));
    HCRYPTPROV first = Open(L"\\\\.\\Reader A\\c");
    ASSERT_NE(first, 0u);
    HCRYPTPROV gone = 0;
    ASSERT_TRUE(CryptAcquireContextW(&gone, L"\\\\.\\Reader A\\c", kProvider, PROV_RSA_FULL,
                                     CRYPT_DELETEKEYSET));
    HCRYPTPROV remade = Open(L"\\\\.\\Reader A\\c", CRYPT_NEWKEYSET);
    ASSERT_NE(remade, 0u);
    size = 0;
    EXPECT_FALSE(CryptGetProvParam(first, PP_CONTAINER, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    CryptReleaseContext(first, 0);
    CryptReleaseContext(remade, 0);
}

TEST_F(VelkoraProviderTest, ADamagedTokenFailsCleanlyThroughEveryDoor) {
    ASSERT_TRUE(SetPin("1234"));
    HCRYPTPROV prov = Open(L"\\\\.\\Reader A\\c", CRYPT_NEWKEYSET);
    ASSERT_NE(prov, 0u);
    {
        vkstore::TokenWorld world;
        const auto file = world.TokenFile(world.FindToken("Token")->uuid);
        for (const char* suffix : {"-wal", "-shm"}) {
            std::filesystem::remove(file.string() + suffix);
        }
        std::ofstream damage(file, std::ios::binary | std::ios::trunc);
        damage << std::string(4096, '\x5A');
    }
    DWORD size = 0;
    EXPECT_FALSE(CryptGetProvParam(prov, PP_CONTAINER, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_KEYSET_ENTRY_BAD);
    EXPECT_EQ(Open(L"\\\\.\\Reader A\\c"), 0u);
    EXPECT_EQ(GetLastError(), NTE_KEYSET_ENTRY_BAD);
    HCRYPTPROV verify = Verify();
    EXPECT_FALSE(CryptGetProvParam(verify, PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST));
    EXPECT_EQ(GetLastError(), NTE_KEYSET_ENTRY_BAD);
    CryptReleaseContext(verify, 0);
    CryptReleaseContext(prov, 0);

    VKAPIi_Context context;
    VKAPIi_Velkora_SCard* card = nullptr;
    EXPECT_FALSE(context.Open_Reader(L"Reader A", 2, &card));
    EXPECT_EQ(card, nullptr);
}
