// The cryptographic calls through the software providers: contexts and key
// sets, keys and their parameters, blobs, the two-call pattern, handle
// checks, flags and error codes, and routing through the provider registry.
// Blob layouts themselves are covered in KeyBlobTest.
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/crypto/ProviderRegistry.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "support/TempWorld.h"

namespace {

const wchar_t* const kEnhanced = MS_ENHANCED_PROV_W;
const wchar_t* const kStrong = MS_STRONG_PROV_W;
const wchar_t* const kBase = MS_DEF_PROV_W;

std::wstring UniqueName(const char* tag) {
    static int counter = 0;
    return L"test-" + std::wstring(tag, tag + std::char_traits<char>::length(tag)) + L"-" +
           std::to_wstring(++counter);
}

// A key set made for one test and deleted after it.
class KeySet {
public:
    explicit KeySet(const wchar_t* provider = kEnhanced, const char* tag = "set")
        : m_name(UniqueName(tag)), m_provider(provider) {
        EXPECT_TRUE(CryptAcquireContextW(&m_prov, m_name.c_str(), m_provider, PROV_RSA_FULL,
                                         CRYPT_NEWKEYSET))
            << std::hex << GetLastError();
    }
    ~KeySet() {
        if (m_prov != 0) {
            CryptReleaseContext(m_prov, 0);
        }
        HCRYPTPROV none = 0;
        CryptAcquireContextW(&none, m_name.c_str(), m_provider, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
    }
    HCRYPTPROV Prov() const { return m_prov; }
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_name;
    const wchar_t* m_provider;
    HCRYPTPROV m_prov = 0;
};

std::vector<BYTE> Export(HCRYPTKEY key, DWORD type) {
    DWORD size = 0;
    if (!CryptExportKey(key, 0, type, 0, nullptr, &size)) {
        return {};
    }
    std::vector<BYTE> blob(size);
    if (!CryptExportKey(key, 0, type, 0, blob.data(), &size)) {
        return {};
    }
    blob.resize(size);
    return blob;
}

DWORD KeyDword(HCRYPTKEY key, DWORD param) {
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_TRUE(CryptGetKeyParam(key, param, reinterpret_cast<BYTE*>(&value), &size, 0));
    EXPECT_EQ(size, 4u);
    return value;
}

std::string ProvString(HCRYPTPROV prov, DWORD param) {
    DWORD size = 0;
    if (!CryptGetProvParam(prov, param, nullptr, &size, 0)) {
        return "<error>";
    }
    std::string text(size, '\0');
    if (!CryptGetProvParam(prov, param, reinterpret_cast<BYTE*>(text.data()), &size, 0)) {
        return "<error>";
    }
    text.resize(size > 0 ? size - 1 : 0);
    return text;
}

}  // namespace

TEST(CryptAcquireContext, KeySetsAreMadeOpenedAndDeletedByName) {
    const std::wstring name = UniqueName("life");
    HCRYPTPROV prov = 0;
    SetLastError(0);
    EXPECT_FALSE(CryptAcquireContextW(&prov, name.c_str(), kEnhanced, PROV_RSA_FULL, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    EXPECT_EQ(prov, 0u);

    ASSERT_TRUE(
        CryptAcquireContextW(&prov, name.c_str(), kEnhanced, PROV_RSA_FULL, CRYPT_NEWKEYSET));
    EXPECT_NE(prov, 0u);
    HCRYPTPROV second = 0;
    EXPECT_FALSE(
        CryptAcquireContextW(&second, name.c_str(), kEnhanced, PROV_RSA_FULL, CRYPT_NEWKEYSET));
    EXPECT_EQ(GetLastError(), NTE_EXISTS);

    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGenKey(prov, AT_KEYEXCHANGE, CRYPT_EXPORTABLE, &key));
    const auto blob = Export(key, PUBLICKEYBLOB);
    ASSERT_FALSE(blob.empty());

    // The three software providers share their key sets, and find them by name.
    for (const wchar_t* provider : {kEnhanced, kStrong, kBase}) {
        HCRYPTPROV other = 0;
        ASSERT_TRUE(CryptAcquireContextW(&other, name.c_str(), provider, PROV_RSA_FULL, 0));
        HCRYPTKEY same = 0;
        ASSERT_TRUE(CryptGetUserKey(other, AT_KEYEXCHANGE, &same));
        EXPECT_EQ(Export(same, PUBLICKEYBLOB), blob);
        EXPECT_EQ(ProvString(other, PP_CONTAINER), std::string(name.begin(), name.end()));
        EXPECT_TRUE(CryptDestroyKey(same));
        EXPECT_TRUE(CryptReleaseContext(other, 0));
    }

    HCRYPTPROV deleted = 123;
    EXPECT_TRUE(
        CryptAcquireContextW(&deleted, name.c_str(), kStrong, PROV_RSA_FULL, CRYPT_DELETEKEYSET));
    EXPECT_EQ(deleted, 0u);
    EXPECT_FALSE(CryptAcquireContextW(&second, name.c_str(), kEnhanced, PROV_RSA_FULL, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    EXPECT_FALSE(
        CryptAcquireContextW(&second, name.c_str(), kEnhanced, PROV_RSA_FULL, CRYPT_DELETEKEYSET));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);

    // A context opened before the deletion no longer reaches keys, but a key
    // handle still held keeps working.
    HCRYPTKEY gone = 0;
    EXPECT_FALSE(CryptGetUserKey(prov, AT_KEYEXCHANGE, &gone));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    EXPECT_FALSE(CryptGenKey(prov, AT_SIGNATURE, 0, &gone));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    EXPECT_EQ(Export(key, PUBLICKEYBLOB), blob);
    EXPECT_TRUE(CryptDestroyKey(key));
    EXPECT_TRUE(CryptReleaseContext(prov, 0));

    // A set made again under the same name is a new, empty one.
    ASSERT_TRUE(
        CryptAcquireContextW(&prov, name.c_str(), kEnhanced, PROV_RSA_FULL, CRYPT_NEWKEYSET));
    EXPECT_FALSE(CryptGetUserKey(prov, AT_KEYEXCHANGE, &gone));
    EXPECT_EQ(GetLastError(), NTE_NO_KEY);
    CryptReleaseContext(prov, 0);
    CryptAcquireContextW(&prov, name.c_str(), kEnhanced, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
}

TEST(CryptAcquireContext, ProviderNamesTypesAndFlagsAreChecked) {
    HCRYPTPROV prov = 77;
    EXPECT_FALSE(CryptAcquireContextW(&prov, nullptr, L"No Such Provider", PROV_RSA_FULL,
                                      CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(GetLastError(), NTE_KEYSET_NOT_DEF);
    EXPECT_EQ(prov, 0u);
    EXPECT_FALSE(CryptAcquireContextW(&prov, nullptr, kEnhanced, 24, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(GetLastError(), NTE_PROV_TYPE_NO_MATCH);
    EXPECT_FALSE(CryptAcquireContextW(&prov, nullptr, nullptr, 99, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(GetLastError(), NTE_PROV_TYPE_NOT_DEF);

    // Names match whatever the letter case, as the platform's provider names do.
    ASSERT_TRUE(CryptAcquireContextW(&prov, nullptr,
                                     L"MICROSOFT ENHANCED cryptographic provider v1.0",
                                     PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(ProvString(prov, PP_NAME), "Microsoft Enhanced Cryptographic Provider v1.0");
    EXPECT_TRUE(CryptReleaseContext(prov, 0));
    // No name: the type's default provider.
    ASSERT_TRUE(CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(ProvString(prov, PP_NAME), "Microsoft Base Cryptographic Provider v1.0");
    EXPECT_TRUE(CryptReleaseContext(prov, 0));

    for (DWORD flags : {CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET, CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET,
                        CRYPT_VERIFYCONTEXT | CRYPT_DELETEKEYSET, 0x4u, 0x100u}) {
        SetLastError(0);
        EXPECT_FALSE(CryptAcquireContextW(&prov, L"x", kEnhanced, PROV_RSA_FULL, flags)) << flags;
        EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS) << flags;
    }
    EXPECT_FALSE(
        CryptAcquireContextW(&prov, L"named", kEnhanced, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS);
    EXPECT_FALSE(
        CryptAcquireContextW(nullptr, nullptr, kEnhanced, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(CryptAcquireContextW(&prov, std::wstring(261, L'n').c_str(), kEnhanced,
                                      PROV_RSA_FULL, CRYPT_NEWKEYSET));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET_PARAM);
}

TEST(CryptHandles, StaleAndForeignHandlesAreRefusedNotFollowed) {
    HCRYPTPROV prov = 0;
    ASSERT_TRUE(
        CryptAcquireContextW(&prov, nullptr, kEnhanced, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGenKey(prov, AT_SIGNATURE, 512u << 16, &key));

    // A key handle is no context handle and the other way round.
    DWORD size = 0;
    EXPECT_FALSE(CryptGetProvParam(key, PP_NAME, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID);
    EXPECT_FALSE(CryptGetKeyParam(prov, KP_KEYLEN, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);

    EXPECT_TRUE(CryptReleaseContext(prov, 0));
    EXPECT_FALSE(CryptReleaseContext(prov, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID);
    EXPECT_FALSE(CryptGetProvParam(prov, PP_NAME, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID);
    HCRYPTKEY other = 0;
    EXPECT_FALSE(CryptGenKey(prov, AT_SIGNATURE, 0, &other));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID);
    BYTE random[8];
    EXPECT_FALSE(CryptGenRandom(prov, sizeof random, random));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID);

    // The key outlives the release of its context.
    EXPECT_EQ(KeyDword(key, KP_KEYLEN), 512u);
    EXPECT_TRUE(CryptDestroyKey(key));
    EXPECT_FALSE(CryptDestroyKey(key));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    EXPECT_FALSE(CryptExportKey(key, 0, PUBLICKEYBLOB, 0, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    for (HCRYPTPROV bogus : {HCRYPTPROV{0}, HCRYPTPROV{1}, ~HCRYPTPROV{0}}) {
        EXPECT_FALSE(CryptReleaseContext(bogus, 0));
        EXPECT_EQ(GetLastError(), NTE_BAD_UID);
        EXPECT_FALSE(CryptDestroyKey(bogus));
    }
}

TEST(CryptKeys, GeneratedKeysHaveTheirLengthPermissionsAndExportRule) {
    KeySet set;
    HCRYPTKEY key = 0;
    EXPECT_FALSE(CryptGetUserKey(set.Prov(), AT_SIGNATURE, &key));
    EXPECT_EQ(GetLastError(), NTE_NO_KEY);
    EXPECT_FALSE(CryptGetUserKey(set.Prov(), 3, &key));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);

    // Default length of the Enhanced provider, not exportable.
    ASSERT_TRUE(CryptGenKey(set.Prov(), AT_SIGNATURE, 0, &key));
    EXPECT_EQ(KeyDword(key, KP_KEYLEN), 1024u);
    EXPECT_EQ(KeyDword(key, KP_ALGID), CALG_RSA_SIGN);
    EXPECT_EQ(KeyDword(key, KP_PERMISSIONS) & CRYPT_EXPORT, 0u);
    DWORD size = 0;
    SetLastError(0);
    EXPECT_FALSE(CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY_STATE);
    EXPECT_FALSE(Export(key, PUBLICKEYBLOB).empty());
    CryptDestroyKey(key);

    ASSERT_TRUE(CryptGenKey(set.Prov(), CALG_RSA_KEYX, (2048u << 16) | CRYPT_EXPORTABLE, &key));
    EXPECT_EQ(KeyDword(key, KP_KEYLEN), 2048u);
    EXPECT_EQ(KeyDword(key, KP_ALGID), CALG_RSA_KEYX);
    EXPECT_NE(KeyDword(key, KP_PERMISSIONS) & CRYPT_EXPORT, 0u);
    const auto priv = Export(key, PRIVATEKEYBLOB);
    const auto pub = Export(key, PUBLICKEYBLOB);
    ASSERT_EQ(priv.size(), 20u + 256 + 5 * 128 + 256);
    auto parsedPriv = vk::crypto::ParseRsaKeyBlob(priv.data(), priv.size());
    auto parsedPub = vk::crypto::ParseRsaKeyBlob(pub.data(), pub.size());
    ASSERT_TRUE(parsedPriv && parsedPub);
    EXPECT_TRUE(vk::crypto::SamePublicKey(parsedPriv->key.get(), parsedPub->key.get()));

    // Both specifications live side by side; GetUserKey finds each.
    HCRYPTKEY exchange = 0;
    HCRYPTKEY signature = 0;
    ASSERT_TRUE(CryptGetUserKey(set.Prov(), AT_KEYEXCHANGE, &exchange));
    ASSERT_TRUE(CryptGetUserKey(set.Prov(), AT_SIGNATURE, &signature));
    EXPECT_EQ(Export(exchange, PUBLICKEYBLOB), pub);
    EXPECT_NE(Export(signature, PUBLICKEYBLOB), pub);

    // Permissions are taken away, never given back.
    DWORD narrowed = KeyDword(key, KP_PERMISSIONS) & ~CRYPT_EXPORT;
    EXPECT_TRUE(CryptSetKeyParam(key, KP_PERMISSIONS, reinterpret_cast<BYTE*>(&narrowed), 0));
    EXPECT_FALSE(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY_STATE);
    DWORD widened = narrowed | CRYPT_EXPORT;
    EXPECT_FALSE(CryptSetKeyParam(key, KP_PERMISSIONS, reinterpret_cast<BYTE*>(&widened), 0));
    EXPECT_EQ(GetLastError(), NTE_PERM);

    HCRYPTKEY bad = 0;
    EXPECT_FALSE(CryptGenKey(set.Prov(), CALG_SHA1, 0, &bad));
    EXPECT_EQ(GetLastError(), NTE_BAD_ALGID);
    EXPECT_FALSE(CryptGenKey(set.Prov(), AT_SIGNATURE, 100u << 16, &bad));
    EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS);
    EXPECT_FALSE(CryptGenKey(set.Prov(), AT_SIGNATURE, 0x8000, &bad));
    EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS);
    EXPECT_FALSE(CryptExportKey(key, 0, 1 /* SIMPLEBLOB */, 0, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_TYPE);
    EXPECT_FALSE(CryptExportKey(key, exchange, PUBLICKEYBLOB, 0, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    EXPECT_FALSE(CryptGetKeyParam(key, 999, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_TYPE);
    for (HCRYPTKEY k : {key, exchange, signature}) {
        CryptDestroyKey(k);
    }
}

TEST(CryptKeys, ImportedBlobsKeepTheKeyAndTheExportableChoice) {
    HCRYPTPROV verify = 0;
    ASSERT_TRUE(
        CryptAcquireContextW(&verify, nullptr, kStrong, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    HCRYPTKEY source = 0;
    ASSERT_TRUE(CryptGenKey(verify, AT_KEYEXCHANGE, CRYPT_EXPORTABLE, &source));
    const auto priv = Export(source, PRIVATEKEYBLOB);
    const auto pub = Export(source, PUBLICKEYBLOB);
    ASSERT_FALSE(priv.empty());
    // Keys of a verification context are not user keys.
    HCRYPTKEY none = 0;
    EXPECT_FALSE(CryptGetUserKey(verify, AT_KEYEXCHANGE, &none));
    EXPECT_EQ(GetLastError(), NTE_NO_KEY);

    for (DWORD flags : {DWORD{0}, CRYPT_EXPORTABLE}) {
        KeySet set(kEnhanced, "import");
        HCRYPTKEY imported = 0;
        ASSERT_TRUE(CryptImportKey(set.Prov(), priv.data(), static_cast<DWORD>(priv.size()), 0,
                                   flags, &imported));
        HCRYPTKEY stored = 0;
        ASSERT_TRUE(CryptGetUserKey(set.Prov(), AT_KEYEXCHANGE, &stored));
        EXPECT_EQ(Export(stored, PUBLICKEYBLOB), pub);
        DWORD size = 0;
        SetLastError(0);
        const BOOL exported = CryptExportKey(stored, 0, PRIVATEKEYBLOB, 0, nullptr, &size);
        EXPECT_EQ(exported != FALSE, flags == CRYPT_EXPORTABLE);
        if (flags == CRYPT_EXPORTABLE) {
            EXPECT_EQ(Export(stored, PRIVATEKEYBLOB), priv);
        } else {
            EXPECT_EQ(GetLastError(), NTE_BAD_KEY_STATE);
        }
        CryptDestroyKey(imported);
        CryptDestroyKey(stored);
    }

    // A public blob gives a public key that does not enter the key set.
    KeySet set(kEnhanced, "public");
    HCRYPTKEY publicKey = 0;
    ASSERT_TRUE(
        CryptImportKey(set.Prov(), pub.data(), static_cast<DWORD>(pub.size()), 0, 0, &publicKey));
    EXPECT_EQ(Export(publicKey, PUBLICKEYBLOB), pub);
    DWORD size = 0;
    EXPECT_FALSE(CryptExportKey(publicKey, 0, PRIVATEKEYBLOB, 0, nullptr, &size));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEY);
    EXPECT_FALSE(CryptGetUserKey(set.Prov(), AT_KEYEXCHANGE, &none));
    EXPECT_EQ(GetLastError(), NTE_NO_KEY);
    CryptDestroyKey(publicKey);

    // Damaged blobs and bad arguments.
    auto broken = priv;
    broken[1] = 3;
    HCRYPTKEY out = 5;
    EXPECT_FALSE(
        CryptImportKey(set.Prov(), broken.data(), static_cast<DWORD>(broken.size()), 0, 0, &out));
    EXPECT_EQ(GetLastError(), NTE_BAD_VER);
    EXPECT_EQ(out, 0u);
    EXPECT_FALSE(CryptImportKey(set.Prov(), priv.data(), 12, 0, 0, &out));
    EXPECT_EQ(GetLastError(), NTE_BAD_DATA);
    EXPECT_FALSE(
        CryptImportKey(set.Prov(), priv.data(), static_cast<DWORD>(priv.size()), 0, 0x10000, &out));
    EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS);
    EXPECT_FALSE(CryptImportKey(set.Prov(), nullptr, 0, 0, 0, &out));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    CryptDestroyKey(source);
    CryptReleaseContext(verify, 0);
}

TEST(CryptTwoCalls, SizingShortBuffersAndExactBuffers) {
    KeySet set;
    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGenKey(set.Prov(), AT_KEYEXCHANGE, CRYPT_EXPORTABLE, &key));
    for (DWORD type : {DWORD{PUBLICKEYBLOB}, DWORD{PRIVATEKEYBLOB}}) {
        DWORD size = 0;
        ASSERT_TRUE(CryptExportKey(key, 0, type, 0, nullptr, &size));
        const DWORD needed = size;
        EXPECT_EQ(needed, type == PUBLICKEYBLOB ? 148u : 20u + 128 + 5 * 64 + 128);
        std::vector<BYTE> buffer(needed + 10, 0xEE);
        size = needed - 1;
        SetLastError(0);
        EXPECT_FALSE(CryptExportKey(key, 0, type, 0, buffer.data(), &size));
        EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
        EXPECT_EQ(size, needed);
        EXPECT_EQ(buffer[0], 0xEE) << "nothing written into a short buffer";
        size = static_cast<DWORD>(buffer.size());
        ASSERT_TRUE(CryptExportKey(key, 0, type, 0, buffer.data(), &size));
        EXPECT_EQ(size, needed);
        EXPECT_EQ(buffer[0], type);
        EXPECT_EQ(buffer[needed], 0xEE) << "nothing written past the blob";
    }
    std::string name = ProvString(set.Prov(), PP_NAME);
    DWORD size = 3;
    char shortName[3];
    EXPECT_FALSE(
        CryptGetProvParam(set.Prov(), PP_NAME, reinterpret_cast<BYTE*>(shortName), &size, 0));
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
    EXPECT_EQ(size, name.size() + 1);
    EXPECT_FALSE(CryptGetProvParam(set.Prov(), PP_NAME, nullptr, nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(CryptGetProvParam(set.Prov(), 0x10007, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_TYPE);
    CryptDestroyKey(key);
}

TEST(CryptKeys, CertificateStoredWithAKey) {
    KeySet set;
    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGenKey(set.Prov(), AT_KEYEXCHANGE, 0, &key));
    DWORD size = 0;
    EXPECT_FALSE(CryptGetKeyParam(key, KP_CERTIFICATE, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), NTE_NOT_FOUND);

    // A self-signed certificate of the key, made with OpenSSL.
    const auto pub = Export(key, PUBLICKEYBLOB);
    auto parsed = vk::crypto::ParseRsaKeyBlob(pub.data(), pub.size());
    ASSERT_TRUE(parsed);
    vk::crypto::EvpPkeyPtr signer(EVP_RSA_gen(1024));
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, parsed->key.get());
    X509_NAME_add_entry_by_txt(X509_get_subject_name(cert), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>("Key cert"), -1, -1, 0);
    X509_set_issuer_name(cert, X509_get_subject_name(cert));
    ASSERT_GT(X509_sign(cert, signer.get(), EVP_sha256()), 0);
    unsigned char* der = nullptr;
    const int derLen = i2d_X509(cert, &der);
    X509_free(cert);
    // Trailing bytes after the certificate are not part of it.
    std::vector<BYTE> buffer(der, der + derLen);
    OPENSSL_free(der);
    buffer.insert(buffer.end(), {0xAA, 0xBB});

    ASSERT_TRUE(CryptSetKeyParam(key, KP_CERTIFICATE, buffer.data(), 0));
    HCRYPTKEY again = 0;
    ASSERT_TRUE(CryptGetUserKey(set.Prov(), AT_KEYEXCHANGE, &again));
    ASSERT_TRUE(CryptGetKeyParam(again, KP_CERTIFICATE, nullptr, &size, 0));
    EXPECT_EQ(size, static_cast<DWORD>(derLen));
    std::vector<BYTE> read(size);
    ASSERT_TRUE(CryptGetKeyParam(again, KP_CERTIFICATE, read.data(), &size, 0));
    EXPECT_EQ(read, std::vector<BYTE>(buffer.begin(), buffer.begin() + derLen));

    const BYTE notDer[] = {0x04, 0x02, 0x00, 0x00};
    EXPECT_FALSE(CryptSetKeyParam(key, KP_CERTIFICATE, notDer, 0));
    const BYTE cut[] = {0x30, 0x82, 0x00, 0x05, 0x02, 0x01, 0x00, 0x00, 0x00};
    EXPECT_FALSE(CryptSetKeyParam(key, KP_CERTIFICATE, cut, 0));
    EXPECT_FALSE(CryptSetKeyParam(key, KP_CERTIFICATE, nullptr, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    CryptDestroyKey(key);
    CryptDestroyKey(again);
}

TEST(CryptProvParams, ContainersAreEnumeratedWithOneBufferOfTheLongestName) {
    vktest::TempWorld world;
    KeySet a(kEnhanced, "e");
    KeySet b(kEnhanced, "enumeration-with-a-much-longer-name");
    HCRYPTPROV prov = 0;
    ASSERT_TRUE(
        CryptAcquireContextW(&prov, nullptr, kEnhanced, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    DWORD size = 0;
    ASSERT_TRUE(CryptGetProvParam(prov, PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST));
    EXPECT_GE(size, b.Name().size() + 1);
    std::vector<char> buffer(size);
    std::vector<std::string> names;
    DWORD flags = CRYPT_FIRST;
    for (;;) {
        DWORD len = size;
        if (!CryptGetProvParam(prov, PP_ENUMCONTAINERS, reinterpret_cast<BYTE*>(buffer.data()),
                               &len, flags)) {
            EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
            break;
        }
        names.emplace_back(buffer.data());
        flags = 0;
    }
    auto has = [&](const std::wstring& name) {
        return std::find(names.begin(), names.end(), std::string(name.begin(), name.end())) !=
               names.end();
    };
    EXPECT_TRUE(has(a.Name()));
    EXPECT_TRUE(has(b.Name()));
    EXPECT_FALSE(CryptGetProvParam(prov, PP_ENUMCONTAINERS, nullptr, &size, 4));
    EXPECT_EQ(GetLastError(), NTE_BAD_FLAGS);
    // Software keys take no PIN.
    EXPECT_FALSE(
        CryptSetProvParam(prov, PP_KEYEXCHANGE_PIN, reinterpret_cast<const BYTE*>("1234"), 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_TYPE);
    CryptReleaseContext(prov, 0);

    // Key sets live in memory only: nothing was written into the user's folders.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(world.Root())) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 0u);
}

namespace {

// A provider that answers PP_NAME with a fixed text: shows that registration
// routes a name to its implementation.
class FixedProvider final : public vk::crypto::ICryptProvider {
public:
    class Context final : public vk::crypto::IProviderContext {
    public:
        BOOL GetParam(DWORD param, BYTE* data, DWORD* len, DWORD) override {
            if (param != PP_NAME) {
                SetLastError(NTE_BAD_TYPE);
                return FALSE;
            }
            return vk::crypto::CopyOutString("fixed", data, len);
        }
        BOOL SetParam(DWORD, const BYTE*, DWORD) override { return TRUE; }
        std::shared_ptr<vk::crypto::IProviderKey> GetUserKey(DWORD) override {
            SetLastError(NTE_NO_KEY);
            return nullptr;
        }
        std::shared_ptr<vk::crypto::IProviderKey> GenKey(ALG_ID, DWORD) override { return nullptr; }
        std::shared_ptr<vk::crypto::IProviderKey> ImportKey(const BYTE*, DWORD, DWORD) override {
            return nullptr;
        }
    };
    std::shared_ptr<vk::crypto::IProviderContext> Acquire(const wchar_t* container,
                                                          DWORD) override {
        lastContainer = container ? container : L"<null>";
        return std::make_shared<Context>();
    }
    BOOL DeleteKeySet(const wchar_t*, DWORD) override {
        ++deletes;
        return TRUE;
    }
    std::wstring lastContainer;
    int deletes = 0;
};

}  // namespace

TEST(ProviderRegistry, RegisteredProvidersReceiveTheirCalls) {
    auto provider = std::make_shared<FixedProvider>();
    auto& registry = vk::crypto::ProviderRegistry::Instance();
    registry.Register(L"Test Token CSP", PROV_RSA_FULL, provider);
    HCRYPTPROV prov = 0;
    ASSERT_TRUE(
        CryptAcquireContextW(&prov, L"\\\\.\\Reader 1\\", L"Test Token CSP", PROV_RSA_FULL, 0));
    EXPECT_EQ(provider->lastContainer, L"\\\\.\\Reader 1\\");
    EXPECT_EQ(ProvString(prov, PP_NAME), "fixed");
    EXPECT_TRUE(CryptSetProvParam(prov, 0x10007, reinterpret_cast<const BYTE*>("Reader 1"), 0));
    HCRYPTPROV none = 0;
    EXPECT_TRUE(
        CryptAcquireContextW(&none, L"c", L"test token csp", PROV_RSA_FULL, CRYPT_DELETEKEYSET));
    EXPECT_EQ(provider->deletes, 1);
    registry.Unregister(L"TEST TOKEN CSP");
    EXPECT_FALSE(CryptAcquireContextW(&none, nullptr, L"Test Token CSP", PROV_RSA_FULL,
                                      CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(GetLastError(), NTE_KEYSET_NOT_DEF);
    // Contexts acquired before stay usable.
    EXPECT_EQ(ProvString(prov, PP_NAME), "fixed");
    EXPECT_TRUE(CryptReleaseContext(prov, 0));
}

TEST(CryptThreads, KeySetsAndHandlesFromManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 20; ++i) {
                const std::wstring name =
                    L"thread-" + std::to_wstring(t) + L"-" + std::to_wstring(i);
                HCRYPTPROV prov = 0;
                HCRYPTKEY key = 0;
                BYTE random[16];
                const bool ok = CryptAcquireContextW(&prov, name.c_str(), kEnhanced, PROV_RSA_FULL,
                                                     CRYPT_NEWKEYSET) &&
                                CryptGenKey(prov, AT_SIGNATURE, 512u << 16, &key) &&
                                CryptGenRandom(prov, sizeof random, random) &&
                                CryptDestroyKey(key) && CryptReleaseContext(prov, 0) &&
                                CryptAcquireContextW(&prov, name.c_str(), kEnhanced, PROV_RSA_FULL,
                                                     CRYPT_DELETEKEYSET);
                failures += ok ? 0 : 1;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
}
