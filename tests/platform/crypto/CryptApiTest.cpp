// The cryptographic calls through the software providers, with the error code of each
// refusal. Blob layouts are in KeyBlobTest, the token provider in tests/platform/tokenprovider.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/crypto/ProviderRegistry.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "support/TempWorld.h"
#include "support/TestCertificate.h"

namespace {

const wchar_t* const kEnhanced = MS_ENHANCED_PROV_W;
const wchar_t* const kStrong = MS_STRONG_PROV_W;

std::wstring UniqueName(const wchar_t* tag) {
    static int counter = 0;
    return L"test-" + std::wstring(tag) + L"-" + std::to_wstring(++counter);
}

BOOL Acquire(HCRYPTPROV* prov, const std::wstring& name, DWORD flags,
             const wchar_t* provider = kEnhanced) {
    return CryptAcquireContextW(prov, name.empty() ? nullptr : name.c_str(), provider,
                                PROV_RSA_FULL, flags);
}

// A call that must fail, and the last error it must leave.
#define EXPECT_REFUSED(call, code)                       \
    do {                                                 \
        SetLastError(0);                                 \
        EXPECT_FALSE(call) << #call;                     \
        EXPECT_EQ(GetLastError(), DWORD{code}) << #call; \
    } while (false)

// A key set made for one test and deleted after it.
class KeySet {
public:
    explicit KeySet(const wchar_t* tag = L"set") : m_name(UniqueName(tag)) {
        EXPECT_TRUE(Acquire(&m_prov, m_name, CRYPT_NEWKEYSET)) << std::hex << GetLastError();
    }
    ~KeySet() {
        CryptReleaseContext(m_prov, 0);
        HCRYPTPROV none = 0;
        Acquire(&none, m_name, CRYPT_DELETEKEYSET);
    }
    HCRYPTPROV Prov() const { return m_prov; }
    const std::wstring& Name() const { return m_name; }

private:
    std::wstring m_name;
    HCRYPTPROV m_prov = 0;
};

// The two-call pattern: the size, then the bytes; empty when a call fails.
std::vector<BYTE> Fetch(const std::function<BOOL(BYTE*, DWORD*)>& call) {
    DWORD size = 0;
    std::vector<BYTE> out(call(nullptr, &size) ? size : 0);
    if (out.empty() || !call(out.data(), &size)) {
        return {};
    }
    out.resize(size);
    return out;
}

std::vector<BYTE> Export(HCRYPTKEY key, DWORD type) {
    return Fetch([&](BYTE* b, DWORD* n) { return CryptExportKey(key, 0, type, 0, b, n); });
}

DWORD KeyDword(HCRYPTKEY key, DWORD param) {
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_TRUE(CryptGetKeyParam(key, param, reinterpret_cast<BYTE*>(&value), &size, 0));
    EXPECT_EQ(size, 4u);
    return value;
}

std::string ProvString(HCRYPTPROV prov, DWORD param) {
    const auto text =
        Fetch([&](BYTE* b, DWORD* n) { return CryptGetProvParam(prov, param, b, n, 0); });
    return text.empty() ? "<error>" : std::string(text.begin(), text.end() - 1);
}

}  // namespace

TEST(CryptAcquireContext, KeySetsAreMadeSharedDeletedEnumeratedAndKeptInMemoryByAnyThread) {
    vktest::TempWorld world;
    const std::wstring name = UniqueName(L"life");
    HCRYPTPROV prov = 0;
    HCRYPTPROV other = 0;
    HCRYPTKEY gone = 0;
    EXPECT_REFUSED(Acquire(&other, name, 0), NTE_BAD_KEYSET);
    EXPECT_EQ(other, 0u);
    ASSERT_TRUE(Acquire(&prov, name, CRYPT_NEWKEYSET));
    EXPECT_REFUSED(Acquire(&other, name, CRYPT_NEWKEYSET), NTE_EXISTS);
    HCRYPTKEY key = 0;
    ASSERT_TRUE(CryptGenKey(prov, AT_KEYEXCHANGE, CRYPT_EXPORTABLE, &key));
    const auto blob = Export(key, PUBLICKEYBLOB);
    ASSERT_FALSE(blob.empty());

    // The three software providers share their key sets, and find them by name.
    for (const wchar_t* provider : {kEnhanced, kStrong, MS_DEF_PROV_W}) {
        ASSERT_TRUE(Acquire(&other, name, 0, provider));
        HCRYPTKEY same = 0;
        ASSERT_TRUE(CryptGetUserKey(other, AT_KEYEXCHANGE, &same));
        EXPECT_EQ(Export(same, PUBLICKEYBLOB), blob);
        EXPECT_EQ(ProvString(other, PP_CONTAINER), std::string(name.begin(), name.end()));
        EXPECT_TRUE(CryptDestroyKey(same));
        EXPECT_TRUE(CryptReleaseContext(other, 0));
    }

    HCRYPTPROV deleted = 123;
    EXPECT_TRUE(Acquire(&deleted, name, CRYPT_DELETEKEYSET, kStrong) && deleted == 0);
    // A context opened before the deletion no longer reaches keys; a key handle still works.
    EXPECT_REFUSED(Acquire(&other, name, 0), NTE_BAD_KEYSET);
    EXPECT_REFUSED(Acquire(&other, name, CRYPT_DELETEKEYSET), NTE_BAD_KEYSET);
    EXPECT_REFUSED(CryptGetUserKey(prov, AT_KEYEXCHANGE, &gone), NTE_BAD_KEYSET);
    EXPECT_REFUSED(CryptGenKey(prov, AT_SIGNATURE, 0, &gone), NTE_BAD_KEYSET);
    EXPECT_EQ(Export(key, PUBLICKEYBLOB), blob);
    EXPECT_TRUE(CryptDestroyKey(key));
    EXPECT_TRUE(CryptReleaseContext(prov, 0));

    // A set made again under the same name is a new, empty one.
    ASSERT_TRUE(Acquire(&prov, name, CRYPT_NEWKEYSET));
    EXPECT_REFUSED(CryptGetUserKey(prov, AT_KEYEXCHANGE, &gone), NTE_NO_KEY);
    CryptReleaseContext(prov, 0);
    Acquire(&prov, name, CRYPT_DELETEKEYSET);

    // Containers are enumerated with one buffer of the longest name.
    KeySet a(L"e");
    KeySet b(L"enumeration-with-a-much-longer-name");
    ASSERT_TRUE(Acquire(&prov, L"", CRYPT_VERIFYCONTEXT));
    DWORD size = 0;
    ASSERT_TRUE(CryptGetProvParam(prov, PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST));
    EXPECT_GE(size, b.Name().size() + 1);
    std::vector<char> buffer(size);
    std::vector<std::wstring> names;
    for (DWORD flags = CRYPT_FIRST, len = size; CryptGetProvParam(
             prov, PP_ENUMCONTAINERS, reinterpret_cast<BYTE*>(buffer.data()), &len, flags);
         flags = 0, len = size) {
        names.emplace_back(buffer.data(), buffer.data() + std::strlen(buffer.data()));
    }
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(std::ranges::count(names, a.Name()) + std::ranges::count(names, b.Name()), 2);
    EXPECT_REFUSED(CryptGetProvParam(prov, PP_ENUMCONTAINERS, nullptr, &size, 4), NTE_BAD_FLAGS);
    EXPECT_REFUSED(
        CryptSetProvParam(prov, PP_KEYEXCHANGE_PIN, reinterpret_cast<const BYTE*>("1234"), 0),
        NTE_BAD_TYPE);
    CryptReleaseContext(prov, 0);

    // Provider names are added and removed at any time; contexts acquired before stay usable.
    auto& registry = vk::crypto::ProviderRegistry::Instance();
    registry.Register(L"Test Token CSP", PROV_RSA_FULL, registry.Find(kEnhanced, PROV_RSA_FULL));
    ASSERT_TRUE(Acquire(&prov, a.Name(), 0, L"test token csp"));
    registry.Unregister(L"TEST TOKEN CSP");
    HCRYPTPROV none = 0;
    EXPECT_REFUSED(Acquire(&none, L"", CRYPT_VERIFYCONTEXT, L"Test Token CSP"), NTE_KEYSET_NOT_DEF);
    EXPECT_EQ(ProvString(prov, PP_CONTAINER), std::string(a.Name().begin(), a.Name().end()));
    EXPECT_TRUE(CryptReleaseContext(prov, 0));

    // Key sets and handles from many threads at once.
    std::atomic<int> failures{0};
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([t, &failures] {
                for (int i = 0; i < 20; ++i) {
                    const std::wstring name = L"thread-" + std::to_wstring(t * 100 + i);
                    HCRYPTPROV prov = 0;
                    HCRYPTKEY key = 0;
                    BYTE random[16];
                    failures +=
                        !(Acquire(&prov, name, CRYPT_NEWKEYSET) &&
                          CryptGenKey(prov, AT_SIGNATURE, 512u << 16, &key) &&
                          CryptGenRandom(prov, sizeof random, random) && CryptDestroyKey(key) &&
                          CryptReleaseContext(prov, 0) && Acquire(&prov, name, CRYPT_DELETEKEYSET));
                }
            });
        }
    }
    EXPECT_EQ(failures.load(), 0);

    // Key sets live in memory only: nothing was written into the user's folders.
    const auto files = std::count_if(std::filesystem::recursive_directory_iterator(world.Root()),
                                     {}, [](const auto& e) { return e.is_regular_file(); });
    EXPECT_EQ(files, 0);
}

TEST(CryptAcquireContext, ProviderNamesFlagsHandlesAndGeneratedKeys) {
    HCRYPTPROV prov = 77;
    const std::wstring none;
    EXPECT_REFUSED(Acquire(&prov, none, CRYPT_VERIFYCONTEXT, L"No Such Provider"),
                   NTE_KEYSET_NOT_DEF);
    EXPECT_REFUSED(CryptAcquireContextW(&prov, nullptr, kEnhanced, 24, CRYPT_VERIFYCONTEXT),
                   NTE_PROV_TYPE_NO_MATCH);
    EXPECT_REFUSED(CryptAcquireContextW(&prov, nullptr, nullptr, 99, CRYPT_VERIFYCONTEXT),
                   NTE_PROV_TYPE_NOT_DEF);
    for (DWORD flags : {CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET, CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET,
                        CRYPT_VERIFYCONTEXT | CRYPT_DELETEKEYSET, DWORD{0x4}, DWORD{0x100}}) {
        EXPECT_REFUSED(Acquire(&prov, L"x", flags), NTE_BAD_FLAGS);
    }
    EXPECT_REFUSED(Acquire(&prov, L"named", CRYPT_VERIFYCONTEXT), NTE_BAD_FLAGS);
    EXPECT_REFUSED(Acquire(nullptr, none, CRYPT_VERIFYCONTEXT), ERROR_INVALID_PARAMETER);
    EXPECT_REFUSED(Acquire(&prov, std::wstring(261, L'n'), CRYPT_NEWKEYSET), NTE_BAD_KEYSET_PARAM);
    EXPECT_EQ(prov, 0u);

    // Names match whatever the letter case; no name is the type's default provider.
    ASSERT_TRUE(Acquire(&prov, none, CRYPT_VERIFYCONTEXT,
                        L"MICROSOFT ENHANCED cryptographic provider v1.0"));
    EXPECT_EQ(ProvString(prov, PP_NAME), "Microsoft Enhanced Cryptographic Provider v1.0");
    EXPECT_TRUE(CryptReleaseContext(prov, 0));
    ASSERT_TRUE(CryptAcquireContextW(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    EXPECT_EQ(ProvString(prov, PP_NAME), "Microsoft Base Cryptographic Provider v1.0");
    EXPECT_TRUE(CryptReleaseContext(prov, 0));

    // Stale and foreign handles are refused, not followed.
    ASSERT_TRUE(Acquire(&prov, none, CRYPT_VERIFYCONTEXT));
    HCRYPTKEY key = 0;
    HCRYPTKEY other = 0;
    ASSERT_TRUE(CryptGenKey(prov, AT_SIGNATURE, 512u << 16, &key));
    EXPECT_REFUSED(CryptGetUserKey(prov, AT_SIGNATURE, &other), NTE_NO_KEY);
    DWORD size = 0;
    BYTE random[8];
    EXPECT_REFUSED(CryptGetProvParam(key, PP_NAME, nullptr, &size, 0), NTE_BAD_UID);
    EXPECT_REFUSED(CryptGetKeyParam(prov, KP_KEYLEN, nullptr, &size, 0), NTE_BAD_KEY);
    EXPECT_TRUE(CryptReleaseContext(prov, 0));
    EXPECT_REFUSED(CryptReleaseContext(prov, 0), NTE_BAD_UID);
    EXPECT_REFUSED(CryptGetProvParam(prov, PP_NAME, nullptr, &size, 0), NTE_BAD_UID);
    EXPECT_REFUSED(CryptGenKey(prov, AT_SIGNATURE, 0, &other), NTE_BAD_UID);
    EXPECT_REFUSED(CryptGenRandom(prov, sizeof random, random), NTE_BAD_UID);
    for (HCRYPTPROV foreign : {HCRYPTPROV{1}, ~HCRYPTPROV{0}}) {
        EXPECT_REFUSED(CryptReleaseContext(foreign, 0), NTE_BAD_UID);
    }
    EXPECT_REFUSED(CryptDestroyKey(0), NTE_BAD_KEY);
    // The key outlives the release of its context.
    EXPECT_EQ(KeyDword(key, KP_KEYLEN), 512u);
    EXPECT_TRUE(CryptDestroyKey(key));
    EXPECT_REFUSED(CryptDestroyKey(key), NTE_BAD_KEY);
    EXPECT_REFUSED(CryptExportKey(key, 0, PUBLICKEYBLOB, 0, nullptr, &size), NTE_BAD_KEY);

    // Generated keys have their length, permissions and export rule.
    KeySet set;
    const HCRYPTPROV p = set.Prov();
    HCRYPTKEY bad = 0;
    EXPECT_REFUSED(CryptGetUserKey(p, AT_SIGNATURE, &key), NTE_NO_KEY);
    EXPECT_REFUSED(CryptGetUserKey(p, 3, &key), NTE_BAD_KEY);
    EXPECT_REFUSED(CryptGenKey(p, CALG_SHA1, 0, &bad), NTE_BAD_ALGID);
    EXPECT_REFUSED(CryptGenKey(p, AT_SIGNATURE, 100u << 16, &bad), NTE_BAD_FLAGS);
    EXPECT_REFUSED(CryptGenKey(p, AT_SIGNATURE, 0x8000, &bad), NTE_BAD_FLAGS);

    // Default length of the Enhanced provider, not exportable.
    ASSERT_TRUE(CryptGenKey(p, AT_SIGNATURE, 0, &key));
    EXPECT_EQ(KeyDword(key, KP_KEYLEN), 1024u);
    EXPECT_EQ(KeyDword(key, KP_ALGID), CALG_RSA_SIGN);
    EXPECT_EQ(KeyDword(key, KP_PERMISSIONS) & CRYPT_EXPORT, 0u);
    EXPECT_FALSE(Export(key, PUBLICKEYBLOB).empty());
    EXPECT_REFUSED(CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &size), NTE_BAD_KEY_STATE);
    CryptDestroyKey(key);

    ASSERT_TRUE(CryptGenKey(p, CALG_RSA_KEYX, (2048u << 16) | CRYPT_EXPORTABLE, &key));
    EXPECT_EQ(KeyDword(key, KP_KEYLEN), 2048u);
    EXPECT_EQ(KeyDword(key, KP_ALGID), CALG_RSA_KEYX);
    const auto pub = Export(key, PUBLICKEYBLOB);
    EXPECT_EQ(Export(key, PRIVATEKEYBLOB).size(), 20u + 256 + 5 * 128 + 256);

    // Both specifications live side by side; GetUserKey finds each.
    HCRYPTKEY exchange = 0;
    HCRYPTKEY signature = 0;
    ASSERT_TRUE(CryptGetUserKey(p, AT_KEYEXCHANGE, &exchange));
    ASSERT_TRUE(CryptGetUserKey(p, AT_SIGNATURE, &signature));
    EXPECT_EQ(Export(exchange, PUBLICKEYBLOB), pub);
    EXPECT_NE(Export(signature, PUBLICKEYBLOB), pub);

    // Permissions are taken away, never given back.
    DWORD narrowed = KeyDword(key, KP_PERMISSIONS) & ~CRYPT_EXPORT;
    EXPECT_TRUE(CryptSetKeyParam(key, KP_PERMISSIONS, reinterpret_cast<BYTE*>(&narrowed), 0));
    DWORD widened = narrowed | CRYPT_EXPORT;
    EXPECT_REFUSED(CryptExportKey(exchange, 0, PRIVATEKEYBLOB, 0, nullptr, &size),
                   NTE_BAD_KEY_STATE);
    EXPECT_REFUSED(CryptSetKeyParam(key, KP_PERMISSIONS, reinterpret_cast<BYTE*>(&widened), 0),
                   NTE_PERM);
    EXPECT_REFUSED(CryptExportKey(key, 0, 1, 0, nullptr, &size), NTE_BAD_TYPE);
    EXPECT_REFUSED(CryptExportKey(key, exchange, PUBLICKEYBLOB, 0, nullptr, &size), NTE_BAD_KEY);
    EXPECT_REFUSED(CryptGetKeyParam(key, 999, nullptr, &size, 0), NTE_BAD_TYPE);
    CryptDestroyKey(key);
    CryptDestroyKey(exchange);
    CryptDestroyKey(signature);
}

TEST(CryptKeys, BlobsWithTheTwoCallPatternImportedBlobsAndACertificateStoredWithTheKey) {
    KeySet set;
    HCRYPTKEY key = 0;
    DWORD size = 0;
    ASSERT_TRUE(CryptGenKey(set.Prov(), AT_KEYEXCHANGE, CRYPT_EXPORTABLE, &key));
    for (DWORD type : {DWORD{PUBLICKEYBLOB}, DWORD{PRIVATEKEYBLOB}}) {
        ASSERT_TRUE(CryptExportKey(key, 0, type, 0, nullptr, &size));
        const DWORD needed = size;
        EXPECT_EQ(needed, type == PUBLICKEYBLOB ? 148u : 20u + 128 + 5 * 64 + 128);
        std::vector<BYTE> buffer(needed + 10, 0xEE);
        size = needed - 1;
        EXPECT_REFUSED(CryptExportKey(key, 0, type, 0, buffer.data(), &size), ERROR_MORE_DATA);
        EXPECT_EQ(size, needed);
        EXPECT_EQ(buffer[0], 0xEE) << "nothing written into a short buffer";
        size = static_cast<DWORD>(buffer.size());
        ASSERT_TRUE(CryptExportKey(key, 0, type, 0, buffer.data(), &size));
        EXPECT_EQ(size, needed);
        EXPECT_EQ(buffer[0], type);
        EXPECT_EQ(buffer[needed], 0xEE) << "nothing written past the blob";
    }

    // Imported blobs keep the key and the exportable choice.
    const auto priv = Export(key, PRIVATEKEYBLOB);
    const auto pub = Export(key, PUBLICKEYBLOB);
    HCRYPTKEY out = 5;
    for (DWORD flags : {DWORD{0}, CRYPT_EXPORTABLE}) {
        KeySet imports(L"import");
        HCRYPTKEY imported = 0;
        ASSERT_TRUE(CryptImportKey(imports.Prov(), priv.data(), static_cast<DWORD>(priv.size()), 0,
                                   flags, &imported));
        HCRYPTKEY stored = 0;
        ASSERT_TRUE(CryptGetUserKey(imports.Prov(), AT_KEYEXCHANGE, &stored));
        EXPECT_EQ(Export(stored, PUBLICKEYBLOB), pub);
        EXPECT_EQ(Export(stored, PRIVATEKEYBLOB), flags ? priv : std::vector<BYTE>());
        CryptDestroyKey(imported);
        CryptDestroyKey(stored);
    }

    // A public blob gives a public key that does not enter the key set.
    KeySet other(L"public");
    HCRYPTKEY publicKey = 0;
    ASSERT_TRUE(
        CryptImportKey(other.Prov(), pub.data(), static_cast<DWORD>(pub.size()), 0, 0, &publicKey));
    EXPECT_EQ(Export(publicKey, PUBLICKEYBLOB), pub);
    auto broken = priv;
    broken[1] = 3;
    const auto import = [&](const std::vector<BYTE>& b, DWORD len, DWORD flags) {
        return CryptImportKey(other.Prov(), b.empty() ? nullptr : b.data(), len, 0, flags, &out);
    };
    EXPECT_REFUSED(CryptExportKey(publicKey, 0, PRIVATEKEYBLOB, 0, nullptr, &size), NTE_BAD_KEY);
    EXPECT_REFUSED(CryptGetUserKey(other.Prov(), AT_KEYEXCHANGE, &out), NTE_NO_KEY);
    EXPECT_REFUSED(import(broken, static_cast<DWORD>(broken.size()), 0), NTE_BAD_VER);
    EXPECT_REFUSED(import(priv, 12, 0), NTE_BAD_DATA);
    EXPECT_REFUSED(import(priv, static_cast<DWORD>(priv.size()), 0x10000), NTE_BAD_FLAGS);
    EXPECT_REFUSED(import({}, 0, 0), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(out, 0u);
    CryptDestroyKey(publicKey);

    BYTE shortName[3];
    size = 3;
    EXPECT_REFUSED(CryptGetProvParam(set.Prov(), PP_NAME, shortName, &size, 0), ERROR_MORE_DATA);
    EXPECT_EQ(size, ProvString(set.Prov(), PP_NAME).size() + 1);
    EXPECT_REFUSED(CryptGetProvParam(set.Prov(), PP_NAME, nullptr, nullptr, 0),
                   ERROR_INVALID_PARAMETER);
    EXPECT_REFUSED(CryptGetProvParam(set.Prov(), 0x10007, nullptr, &size, 0), NTE_BAD_TYPE);

    EXPECT_REFUSED(CryptGetKeyParam(key, KP_CERTIFICATE, nullptr, &size, 0), NTE_NOT_FOUND);

    // A certificate of the key, with trailing bytes after it.
    const std::vector<BYTE> der = vktest::MakeCertificate(
        vk::crypto::ParseRsaKeyBlob(priv.data(), priv.size()).value().key.get(), {{"CN", "Key"}});
    auto buffer = der;
    buffer.insert(buffer.end(), {0xAA, 0xBB});

    ASSERT_TRUE(CryptSetKeyParam(key, KP_CERTIFICATE, buffer.data(), 0));
    HCRYPTKEY again = 0;
    ASSERT_TRUE(CryptGetUserKey(set.Prov(), AT_KEYEXCHANGE, &again));
    EXPECT_EQ(
        Fetch([&](BYTE* b, DWORD* n) { return CryptGetKeyParam(again, KP_CERTIFICATE, b, n, 0); }),
        der);

    const BYTE notDer[] = {0x04, 0x02, 0x00, 0x00};
    const BYTE cut[] = {0x30, 0x82, 0x00, 0x05, 0x02, 0x01, 0x00, 0x00, 0x00};
    EXPECT_FALSE(CryptSetKeyParam(key, KP_CERTIFICATE, notDer, 0));
    EXPECT_FALSE(CryptSetKeyParam(key, KP_CERTIFICATE, cut, 0));
    EXPECT_REFUSED(CryptSetKeyParam(key, KP_CERTIFICATE, nullptr, 0), ERROR_INVALID_PARAMETER);
    CryptDestroyKey(key);
    CryptDestroyKey(again);
}
