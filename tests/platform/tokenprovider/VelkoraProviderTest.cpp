// The token provider through the cryptographic calls over a virtual token, with the error code
// of each refusal. The default container is tested through the program's operations in
// tests/program/token, the store below in tests/platform/token.
#include <gtest/gtest.h>
#include <openssl/rsa.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/middleware/VKAPIi.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/VelkoraContext.h"
#include "support/TempWorld.h"
#include "support/TestCertificate.h"

using vkstore::PP_VK_LOGIN_STATE;
using vkstore::PP_VK_SELECT_READER;

namespace {

constexpr const wchar_t* kProvider = L"Orvel Velkora CSP v1.0";

// A call that must fail, and the last error it must leave.
#define EXPECT_REFUSED(call, code)                       \
    do {                                                 \
        SetLastError(0);                                 \
        EXPECT_FALSE(call) << #call;                     \
        EXPECT_EQ(GetLastError(), DWORD{code}) << #call; \
    } while (false)

class VelkoraProviderTest : public ::testing::Test {
protected:
    void SetUp() override {
        vkstore::TokenWorld world;
        world.AddReader("Reader A");
        world.AddReader("Reader B");
        world.CreateToken({.label = "Token"}, "1234", {.log2N = 10, .r = 1}, 5);
        world.Insert("Reader A", "Token");
    }

    // A context without container, on a reader.
    static HCRYPTPROV Verify() {
        HCRYPTPROV prov = 0;
        EXPECT_TRUE(
            CryptAcquireContextW(&prov, nullptr, kProvider, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
        EXPECT_TRUE(CryptSetProvParam(prov, PP_VK_SELECT_READER,
                                      reinterpret_cast<const BYTE*>("Reader A"), 0));
        return prov;
    }

    // Sets a verification context's parameter; null logs out.
    static BOOL SetParam(DWORD param, const void* data) {
        HCRYPTPROV prov = Verify();
        const BOOL ok = CryptSetProvParam(prov, param, static_cast<const BYTE*>(data), 0);
        const DWORD error = GetLastError();
        CryptReleaseContext(prov, 0);
        SetLastError(error);
        return ok;
    }
    static BOOL SetPin(const char* pin) { return SetParam(PP_KEYEXCHANGE_PIN, pin); }

    static DWORD LoginState() {
        HCRYPTPROV prov = Verify();
        DWORD state = 7;
        DWORD size = sizeof state;
        EXPECT_TRUE(
            CryptGetProvParam(prov, PP_VK_LOGIN_STATE, reinterpret_cast<BYTE*>(&state), &size, 0));
        CryptReleaseContext(prov, 0);
        return state;
    }

    // A context on a container of Reader A ("": the default one); 0 on failure.
    static HCRYPTPROV Open(const std::wstring& container, DWORD flags = 0) {
        HCRYPTPROV prov = 0;
        const std::wstring name = L"\\\\.\\Reader A\\" + container;
        return CryptAcquireContextW(&prov, name.c_str(), kProvider, PROV_RSA_FULL, flags) ? prov
                                                                                          : 0;
    }

    vktest::TempWorld m_temp;
};

}  // namespace

TEST_F(VelkoraProviderTest, EnumeratesRefusesWhatItCannotServeAndOldHandlesStayDead) {
    HCRYPTPROV verify = Verify();
    DWORD size = 0;
    EXPECT_REFUSED(CryptGetProvParam(verify, PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST),
                   ERROR_NO_MORE_ITEMS);
    ASSERT_TRUE(SetPin("1234"));
    for (const auto& name : {std::wstring(200, L'l'), std::wstring(L"\u043a\u043b\u044e\u0447")}) {
        CryptReleaseContext(Open(name, CRYPT_NEWKEYSET), 0);
    }
    HCRYPTPROV mid = Open(L"mid", CRYPT_NEWKEYSET);
    ASSERT_TRUE(CryptGetProvParam(verify, PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST));
    EXPECT_EQ(size, 201u);
    std::vector<std::string> names;
    std::vector<char> buffer(size);
    for (DWORD flags = CRYPT_FIRST, length = size; CryptGetProvParam(
             verify, PP_ENUMCONTAINERS, reinterpret_cast<BYTE*>(buffer.data()), &length, flags);
         flags = 0, length = size) {
        names.emplace_back(buffer.data());
    }
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(names, (std::vector<std::string>{std::string(200, 'l'),
                                               "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87", "mid"}));
    CryptReleaseContext(verify, 0);
    CryptReleaseContext(mid, 0);

    HCRYPTPROV prov = 0;
    HCRYPTKEY key = 0;
    const auto acquire = [&](const wchar_t* name) {
        return CryptAcquireContextW(&prov, name, kProvider, PROV_RSA_FULL, 0);
    };
    EXPECT_REFUSED(Open(L"missing"), NTE_BAD_KEYSET);
    EXPECT_REFUSED(acquire(L"\\\\.\\Reader Z\\c"), SCARD_E_UNKNOWN_READER);
    EXPECT_REFUSED(acquire(L"\\\\.\\Reader B\\c"), SCARD_E_NO_SMARTCARD);
    EXPECT_REFUSED(Open(std::wstring(256, L'n'), CRYPT_NEWKEYSET), NTE_BAD_KEYSET_PARAM);
    EXPECT_REFUSED(Open(L"a\\b", CRYPT_NEWKEYSET), NTE_BAD_KEYSET_PARAM);
    EXPECT_REFUSED(SetParam(PP_VK_SELECT_READER, "reader a"), SCARD_E_UNKNOWN_READER);
    // Nothing half-made, nothing truncated.
    EXPECT_REFUSED(Open(std::wstring(255, L'n')), NTE_BAD_KEYSET);
    EXPECT_REFUSED(Open(L"a"), NTE_BAD_KEYSET);

    ASSERT_NE(prov = Open(L"c", CRYPT_NEWKEYSET), 0u);
    EXPECT_REFUSED(Open(L"c", CRYPT_NEWKEYSET), NTE_EXISTS);
    EXPECT_REFUSED(CryptGetUserKey(prov, AT_SIGNATURE, &key), NTE_NO_KEY);

    // Handles opened before a removal, a deletion or damage stay dead.
    ASSERT_TRUE(CryptGenKey(prov, AT_SIGNATURE, 1024u << 16, &key));
    {
        vkstore::TokenWorld world;
        world.Remove("Reader A");
        world.Insert("Reader A", "Token");
    }
    size = 4;
    BYTE bits[4];
    EXPECT_REFUSED(CryptGetKeyParam(key, KP_KEYLEN, bits, &size, 0), SCARD_W_REMOVED_CARD);
    EXPECT_REFUSED(CryptGetProvParam(prov, PP_CONTAINER, nullptr, &size, 0), SCARD_W_REMOVED_CARD);
    EXPECT_EQ(LoginState(), 0u) << "the login ended with the removal";
    CryptDestroyKey(key);
    CryptReleaseContext(prov, 0);

    // A container deleted and made again is another container to old handles.
    ASSERT_TRUE(SetPin("1234"));
    HCRYPTPROV first = Open(L"c");
    ASSERT_NE(first, 0u);
    HCRYPTPROV gone = 0;
    ASSERT_TRUE(CryptAcquireContextW(&gone, L"\\\\.\\Reader A\\c", kProvider, PROV_RSA_FULL,
                                     CRYPT_DELETEKEYSET));
    HCRYPTPROV remade = Open(L"c", CRYPT_NEWKEYSET);
    ASSERT_NE(remade, 0u);
    EXPECT_REFUSED(CryptGetProvParam(first, PP_CONTAINER, nullptr, &size, 0), NTE_BAD_KEYSET);
    CryptReleaseContext(first, 0);

    // A damaged token fails cleanly through every door.
    {
        vkstore::TokenWorld world;
        const auto file = world.TokenFile(world.FindToken("Token")->uuid);
        for (const char* suffix : {"-wal", "-shm"}) {
            std::filesystem::remove(file.string() + suffix);
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(4096, '\x5A');
    }
    verify = Verify();
    EXPECT_REFUSED(CryptGetProvParam(remade, PP_CONTAINER, nullptr, &size, 0),
                   NTE_KEYSET_ENTRY_BAD);
    EXPECT_REFUSED(Open(L"c"), NTE_KEYSET_ENTRY_BAD);
    EXPECT_REFUSED(CryptGetProvParam(verify, PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST),
                   NTE_KEYSET_ENTRY_BAD);
    CryptReleaseContext(verify, 0);
    CryptReleaseContext(remade, 0);

    VKAPIi_Context context;
    VKAPIi_Velkora_SCard* card = nullptr;
    EXPECT_FALSE(context.Open_Reader(L"Reader A", 2, &card));
    EXPECT_EQ(card, nullptr);
}

TEST_F(VelkoraProviderTest, LoginCountsWrongPinsKeysCarryCertificatesAndExportWhatTheyMay) {
    EXPECT_EQ(LoginState(), 0u);
    EXPECT_REFUSED(Open(L"keys", CRYPT_NEWKEYSET), SCARD_W_CARD_NOT_AUTHENTICATED);
    EXPECT_REFUSED(SetPin("9999"), SCARD_W_WRONG_CHV);
    EXPECT_REFUSED(SetPin(""), SCARD_W_WRONG_CHV);
    ASSERT_TRUE(SetPin("1234"));
    EXPECT_NE(LoginState(), 0u);
    HCRYPTPROV prov = Open(L"keys", CRYPT_NEWKEYSET);
    ASSERT_NE(prov, 0u);
    HCRYPTKEY exchange = 0;
    HCRYPTKEY signature = 0;
    HCRYPTKEY imported = 0;
    ASSERT_TRUE(CryptGenKey(prov, AT_KEYEXCHANGE, (1024u << 16) | CRYPT_EXPORTABLE, &exchange));
    ASSERT_TRUE(CryptGenKey(prov, AT_SIGNATURE, 2048u << 16, &signature));
    DWORD value = 0;
    DWORD size = sizeof value;
    ASSERT_TRUE(CryptGetKeyParam(signature, KP_KEYLEN, reinterpret_cast<BYTE*>(&value), &size, 0));
    EXPECT_EQ(value, 2048u);
    ASSERT_TRUE(
        CryptGetKeyParam(exchange, KP_PERMISSIONS, reinterpret_cast<BYTE*>(&value), &size, 0));
    EXPECT_TRUE(value & CRYPT_EXPORT);

    DWORD blobSize = 0;
    ASSERT_TRUE(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize));
    std::vector<BYTE> privateBlob(blobSize);
    ASSERT_TRUE(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, privateBlob.data(), &blobSize));
    EXPECT_EQ(privateBlob[0], PRIVATEKEYBLOB);
    EXPECT_REFUSED(CryptExportKey(signature, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize),
                   NTE_BAD_KEY_STATE);
    ASSERT_TRUE(CryptExportKey(signature, 0, PUBLICKEYBLOB, 0, nullptr, &blobSize));
    EXPECT_EQ(blobSize, 8u + 12u + 256u);

    // A certificate stored with the key.
    vk::crypto::EvpPkeyPtr pkey(EVP_RSA_gen(1024));
    const auto der = vktest::MakeCertificate(pkey.get(), {{"CN", "Key"}});
    ASSERT_TRUE(CryptSetKeyParam(exchange, KP_CERTIFICATE, der.data(), 0));
    DWORD certSize = 0;
    ASSERT_TRUE(CryptGetKeyParam(exchange, KP_CERTIFICATE, nullptr, &certSize, 0));
    EXPECT_EQ(certSize, der.size());
    std::vector<BYTE> shortBuffer(certSize - 1);
    DWORD shortSize = certSize - 1;
    EXPECT_REFUSED(CryptGetKeyParam(exchange, KP_CERTIFICATE, shortBuffer.data(), &shortSize, 0),
                   ERROR_MORE_DATA);
    EXPECT_FALSE(CryptGetKeyParam(signature, KP_CERTIFICATE, nullptr, &certSize, 0));

    // Logged out: the exportable key no longer exports; import and deletion are refused.
    ASSERT_TRUE(SetPin(nullptr));
    EXPECT_TRUE(SetParam(PP_VK_LOGIN_STATE, nullptr));
    EXPECT_EQ(LoginState(), 0u);
    EXPECT_REFUSED(Open(L"keys", CRYPT_DELETEKEYSET), SCARD_W_CARD_NOT_AUTHENTICATED);
    EXPECT_REFUSED(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize),
                   NTE_BAD_KEY_STATE);
    const auto privateSize = static_cast<DWORD>(privateBlob.size());
    EXPECT_REFUSED(CryptImportKey(prov, privateBlob.data(), privateSize, 0, 0, &imported),
                   SCARD_W_CARD_NOT_AUTHENTICATED);

    // Logged in again: the blob imports into another container as an exportable key.
    ASSERT_TRUE(SetPin("1234"));
    HCRYPTPROV other = Open(L"other", CRYPT_NEWKEYSET);
    ASSERT_TRUE(
        CryptImportKey(other, privateBlob.data(), privateSize, 0, CRYPT_EXPORTABLE, &imported));
    std::vector<BYTE> again(privateBlob.size());
    blobSize = static_cast<DWORD>(again.size());
    ASSERT_TRUE(CryptExportKey(imported, 0, PRIVATEKEYBLOB, 0, again.data(), &blobSize));
    EXPECT_EQ(again, privateBlob);
    for (HCRYPTKEY k : {exchange, signature, imported}) {
        CryptDestroyKey(k);
    }
    CryptReleaseContext(prov, 0);
    CryptReleaseContext(other, 0);

    // Wrong PINs count down to a block that refuses even the right one.
    for (int i = 0; i < 4; ++i) {
        SetPin("0000");
    }
    EXPECT_REFUSED(SetPin("0000"), SCARD_W_CHV_BLOCKED);
    EXPECT_REFUSED(SetPin("1234"), SCARD_W_CHV_BLOCKED);
}
