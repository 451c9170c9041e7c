// Token access over virtual tokens: the provider operations, the reader lock across processes,
// the token information objects and what they cache, and the context cache and reader monitor
// (shared contexts, reader events, contexts released once, a removal while another thread reads).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <thread>

#include "TokenTestWorld.h"
#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/middleware/VKAPIi.h"
#include "platform/text/Utf.h"
#include "platform/token/TokenStore.h"
#include "program/app/UiLanguage.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/token/CCertException.h"
#include "program/token/CCryptoProvContextCache.h"
#include "program/token/CMonitor.h"
#include "program/token/COpenKey.h"
#include "program/token/CReaderLock.h"
#include "program/token/CTokenInfo.h"
#include "program/token/CertificateDisplayName.h"
#include "program/token/ContainerOperations.h"
#include "program/token/KeyOperations.h"
#include "program/token/LoginState.h"
#include "support/ChildProcess.h"
#include "support/PersonalStore.h"

using SVKCERT::CProviderDescriptor;
using SVKCERT::SCONTEXTCACHE::CCryptoProvContextCache;
using SVKCERT::SCONTEXTCACHE::CProvContextRef;
using SVKCERT::SEXCPT::CCertException;
using tokentest::ContainerNames;
using tokentest::kCountingProvider;
using namespace std::string_literals;

namespace {

const std::wstring kReader = L"Reader A";

class TokenInfoTest : public ::testing::Test {
protected:
    void SetUp() override { m_world.AddReader("Reader A"); }

    // Changes the stored token behind the objects' back.
    vkstore::TokenStore Store(const std::string& label) {
        return vkstore::TokenStore(
            m_world.World().TokenFile(m_world.World().FindToken(label)->uuid));
    }

    tokentest::TokenTestWorld m_world;
};

class ProviderOperationsTest : public TokenInfoTest {
protected:
    void SetUp() override {
        TokenInfoTest::SetUp();
        m_world.AddReader("Empty reader");
        m_world.MakeToken("Alpha", {}, "Reader A");
        m_counting.name = tokentest::kCountingProvider;
    }

    std::vector<std::wstring> Enumerate(const std::wstring& reader = kReader) {
        std::vector<std::wstring> names;
        SVKCERT::EnumContainers(m_velkora, reader, names);
        return names;
    }

    static DWORD CodeOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const CCertException& e) {
            return e.GetCode();
        }
        return 0;
    }

    CProviderDescriptor m_velkora;
    CProviderDescriptor m_counting;
};

}  // namespace

VK_TEST_CHILD(hold_reader_lock) {
    CReaderLock lock(L"Reader A");
    if (!lock.Owns()) {
        return 2;
    }
    std::cout << "locked" << std::endl;
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    // Written while the lock is still held: whoever waited for the lock sees it.
    std::ofstream(args.at(0)) << "released";
    return 0;
}

TEST_F(ProviderOperationsTest, EnumerationListsEveryNameAndWaitsForAnotherProcessesReaderLock) {
    EXPECT_TRUE(Enumerate().empty()) << "a token without containers";
    EXPECT_NE(CodeOf([&] { Enumerate(L"Empty reader"); }), 0u) << "no token: an error";
    EXPECT_NE(CodeOf([&] { Enumerate(L"reader a"); }), 0u) << "reader names are exact";

    std::vector<std::wstring> expected;
    for (const std::string& name : {"mid-sized name"s, std::string(200, 'L'), "x"s,
                                    "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87"s, "ab"s}) {
        m_world.AddContainer("Alpha", name);
        expected.push_back(Utf8ToWide(name));
    }

    // Every name, listed while another process holding the reader lock makes the call wait.
    const std::filesystem::path marker = std::filesystem::temp_directory_path() / "released";
    vktest::ChildProcess child("hold_reader_lock", {marker.string()}, true);
    ASSERT_EQ(child.NextLine(), "locked");
    EXPECT_EQ(Enumerate(), expected);
    EXPECT_TRUE(std::filesystem::exists(marker)) << "enumerated while the other process held it";
    EXPECT_EQ(child.Wait(), 0);

    // Another reader's lock is another mutex.
    vktest::ChildProcess again("hold_reader_lock", {(marker.string() + "2")}, true);
    ASSERT_EQ(again.NextLine(), "locked");
    EXPECT_TRUE(CReaderLock(L"Reader B").Owns());
    EXPECT_FALSE(std::filesystem::exists(marker.string() + "2"));
    EXPECT_EQ(again.Wait(), 0);

    // A token whose file is damaged fails the enumeration and counts as nobody logged in.
    const std::string file =
        m_world.World().TokenFile(m_world.World().FindToken("Alpha")->uuid).string();
    std::filesystem::remove(file + "-wal");
    std::filesystem::remove(file + "-shm");
    std::ofstream(file, std::ios::trunc) << std::string(200, 'x');
    EXPECT_NE(CodeOf([&] { Enumerate(); }), 0u);
    EXPECT_EQ(SVKCERT::ReadLoginState(kReader), SVKCERT::kLoginGuest);
}

TEST_F(ProviderOperationsTest, DefaultMarkAndDeletionNeedTheLoginAndReuseCachedContexts) {
    m_world.AddContainer("Alpha", "first");
    m_world.AddContainer("Alpha", "second");
    EXPECT_EQ(SVKCERT::ReadLoginState(kReader), SVKCERT::kLoginGuest);
    EXPECT_EQ(CodeOf([&] { SVKCERT::ReadDefaultContainer(m_velkora, kReader); }), NTE_BAD_KEYSET);
    EXPECT_EQ(CodeOf([&] { SVKCERT::SetDefaultContainer(m_counting, kReader, L"second", true); }),
              SCARD_W_CARD_NOT_AUTHENTICATED);
    EXPECT_EQ(CodeOf([&] { SVKCERT::DeleteContainer(m_velkora, kReader, L"first"); }),
              SCARD_W_CARD_NOT_AUTHENTICATED);
    EXPECT_EQ(m_world.Counter().Acquired(), 1) << "the container's context is cached all the same";

    m_world.Login("Reader A");
    SVKCERT::SetDefaultContainer(m_counting, kReader, L"second", true);
    EXPECT_EQ(SVKCERT::ReadDefaultContainer(m_velkora, kReader), L"second");
    SVKCERT::SetDefaultContainer(m_counting, kReader, L"second", false);
    EXPECT_EQ(m_world.Counter().Acquired(), 1) << "setting and removing reuse the context";
    SVKCERT::SetDefaultContainer(m_counting, kReader, L"first", true);
    EXPECT_EQ(m_world.Counter().Acquired(), 2);
    EXPECT_EQ(SVKCERT::ReadDefaultContainer(m_velkora, kReader), L"first");
    SVKCERT::SetDefaultContainer(m_counting, kReader, L"first", false);
    EXPECT_EQ(CodeOf([&] { SVKCERT::ReadDefaultContainer(m_velkora, kReader); }), NTE_BAD_KEYSET);

    SVKCERT::DeleteContainer(m_velkora, kReader, L"first");
    EXPECT_EQ(CodeOf([&] { SVKCERT::DeleteContainer(m_velkora, kReader, L"first"); }),
              NTE_BAD_KEYSET);
    // Created through the cache and with a context of its own.
    EXPECT_TRUE(SVKCERT::CreateContainerCached(m_velkora, kReader, L"made cached"));
    EXPECT_TRUE(SVKCERT::CreateContainer(m_velkora, kReader, L"made own"));
    EXPECT_NE(CodeOf([&] { SVKCERT::CreateContainer(m_velkora, kReader, L"made own"); }), 0u);
    EXPECT_EQ(Enumerate(), (std::vector<std::wstring>{L"second", L"made cached", L"made own"}));
}

TEST_F(ProviderOperationsTest, KeysCertificatesAndPublicBlobsNeedTheirSpecification) {
    m_world.AddContainer("Alpha", "exchange only", {1}, {{"CN", "Exchange Holder"}});
    m_world.AddContainer("Alpha", "bare", {2}, {});
    SVKCERT::COpenKey key;
    key.Open(m_velkora, kReader, L"exchange only", AT_KEYEXCHANGE);
    const std::vector<BYTE> blob = key.ExportBlob(PUBLICKEYBLOB);
    ASSERT_GE(blob.size(), sizeof(BLOBHEADER) + sizeof(RSAPUBKEY) + 128);
    const std::vector<BYTE> cert =
        SVKCERT::ReadKeyCertificate(m_velkora, kReader, L"exchange only", AT_KEYEXCHANGE);

    // A specification the container lacks fails with the exception and leaves nothing open.
    SVKCERT::COpenKey missing;
    EXPECT_EQ(CodeOf([&] { missing.Open(m_velkora, kReader, L"exchange only", AT_SIGNATURE); }),
              NTE_NO_KEY);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_NE(CodeOf([&] { missing.Open(m_velkora, kReader, L"no such", AT_KEYEXCHANGE); }), 0u);
    EXPECT_NE(
        CodeOf([&] { SVKCERT::ReadKeyCertificate(m_velkora, kReader, L"bare", AT_SIGNATURE); }), 0u)
        << "a key without certificate";

    // Assigning needs the login; the certificate then reads back.
    SVKCERT::COpenKey bare;
    bare.Open(m_velkora, kReader, L"bare", AT_SIGNATURE);
    EXPECT_NE(CodeOf([&] { bare.AssignCertificate(cert); }), 0u);
    m_world.Login("Reader A");
    bare.AssignCertificate(cert);
    EXPECT_EQ(SVKCERT::ReadKeyCertificate(m_velkora, kReader, L"bare", AT_SIGNATURE), cert);
}

TEST(TokenNames, ModelNamesInEveryLanguageAndTheLastCommonNameOfACertificate) {
    SetUiLanguage(LANG_RUSSIAN_ID);  // model names stay English
    const std::tuple<BYTE, BYTE, DWORD, const wchar_t*> models[] = {
        {0, 1, 32768, L"Velkora 32K"},    {0, 2, 32768, L"Velkora Mini 32K"},
        {0, 3, 2048, L"Velkora Mini 2K"}, {1, 1, 2047, L"Velkora Pro 1K"},
        {1, 1, 1023, L"Velkora Pro 0K"},  {2, 1, 65536, L" 64K"}};
    for (const auto& [type, major, memory, text] : models) {
        EXPECT_EQ(TokenTypeText(TokenModelName(type, major), memory), text);
    }
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);

    EVP_PKEY* key = tokentest::SharedKey();
    std::vector<BYTE> cut = vktest::MakeCertificate(key, {{"CN", "Cut"}});
    cut.resize(cut.size() / 2);
    const std::pair<std::vector<BYTE>, std::wstring> cases[] = {
        {vktest::MakeCertificate(key, {{"CN", "A"}, {"O", "Org"}, {"CN", "Last"}, {"OU", "U"}}),
         L"Last"},
        {vktest::MakeCertificate(key, {{"CN", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"}}),
         L"\u0418\u0432\u0430\u043d"},
        {vktest::MakeCertificate(key, {{"O", "Org"}}), L""},
        {{}, L""},
        {cut, L""},
        {{0x30, 0x03, 0x02, 0x01, 0x00}, L""}};
    for (const auto& [der, name] : cases) {
        EXPECT_EQ(SVKCERT::CertificateDisplayName(der), name) << der.size();
    }
}

TEST_F(TokenInfoTest, RecordAndLoginStateAreReadOnceUntilTheCachesAreCleared) {
    m_world.MakeToken("Alpha", {}, "Reader A");  // a Velkora Pro of 64K
    EXPECT_EQ(CTokenInfo(L"reader a", {}).GetTokenRecord().label, L"") << "names are exact";
    CTokenInfo token(L"Reader A", {});
    EXPECT_EQ(token.GetTokenRecord().typeText, L"Velkora Pro 64K");
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginGuest);
    EXPECT_EQ(token.GetDefaultContainer(), L"") << "none";

    // The token ID travels as 78 56 34 12 in the middleware's buffer.
    Store("Alpha").SetRecord({0, 1, 14, 131072, 70001, 7, 9, 0x12345678, "\xD0\x9C\xD0\xB9 t", 2});
    m_world.Login("Reader A");
    EXPECT_EQ(token.GetTokenRecord().label, L"Alpha") << "the middleware was asked again";
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginGuest) << "the provider was asked again";

    token.ClearTokenCaches();
    const STokenRecord r = token.GetTokenRecord();
    EXPECT_EQ(std::tie(r.label, r.typeText), std::tuple(L"\u041c\u0439 t", L"Velkora 128K"));
    EXPECT_EQ(
        std::tuple(r.tokenType, r.tokenId, r.versionMajor * 100 + r.versionMinor,
                   r.protocolNumber * 10 + r.microprogramNumber, r.freeMemory, r.pinChangePolicy),
        std::tuple(0, 0x12345678u, 114, 79, 70001u, 2));
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginUser) << "the login state was kept";

    m_world.Logout("Reader A");
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginUser);
    token.ResetLoginState();
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginGuest);
}

TEST_F(TokenInfoTest, DeletingOneContainerKeepsTheOthersAndKeysCacheTheirCertificates) {
    m_world.MakeToken("Alpha", {}, "Reader A");
    m_world.AddContainer("Alpha", "first", {1, 2}, {{"CN", "Old"}, {"CN", "Holder"}});
    m_world.AddContainer("Alpha", "second", {1}, {});
    m_world.AddContainer("Alpha", "third", {2}, {{"CN", "Third"}}, true);
    CTokenInfo token(L"Reader A", {});
    ASSERT_EQ(ContainerNames(token), (std::vector<std::wstring>{L"first", L"second", L"third"}));
    EXPECT_EQ(token.FindContainer(L"THIRD"), nullptr);
    CContainerInfo* first = token.FindContainer(L"first");
    CContainerInfo* third = token.FindContainer(L"third");
    CKeyInfo* firstKey = first->GetKey(AT_SIGNATURE);
    CKeyInfo* thirdKey = third->GetKey(AT_SIGNATURE);
    CKeyInfo* key = first->GetKey(AT_KEYEXCHANGE);
    CKeyInfo* bare = token.FindContainer(L"second")->GetKey(AT_KEYEXCHANGE);
    ASSERT_TRUE(firstKey && thirdKey && key && bare);
    EXPECT_EQ(third->GetKey(AT_KEYEXCHANGE), nullptr) << "no such key";
    EXPECT_TRUE(third->IsDefault() && !first->IsDefault());

    // What a key shows of its certificate and the user's store is read once.
    EXPECT_TRUE(!bare->HasCertificate() && !bare->IsRegistered() &&
                bare->GetCertificateDisplayName().empty());
    EXPECT_EQ(key->GetCertificateDisplayName(), L"Holder");
    EXPECT_FALSE(key->IsRegistered());
    vktest::AddToPersonalStore(key->GetCertificate());
    EXPECT_FALSE(key->IsRegistered()) << "cached until the key's caches are cleared";
    key->ClearCaches();
    EXPECT_TRUE(key->IsRegistered());

    m_world.Login("Reader A");
    const std::vector<BYTE> other =
        vktest::MakeCertificate(tokentest::SharedKey(), {{"CN", "New holder"}});
    key->GetOpenKey().AssignCertificate(other);
    EXPECT_EQ(key->GetCertificateDisplayName(), L"Holder");
    key->ClearCaches();
    EXPECT_EQ(key->GetCertificateDisplayName(), L"New holder");
    EXPECT_FALSE(key->IsRegistered());

    // The default mark is cached until a deletion.
    vkstore::TokenStore store = Store("Alpha");
    store.SetDefault(store.FindContainer("first")->id, true);
    EXPECT_TRUE(third->IsDefault());

    token.DeleteContainer(L"second");
    EXPECT_EQ(ContainerNames(token), (std::vector<std::wstring>{L"first", L"third"}));
    EXPECT_TRUE(token.FindContainer(L"first") == first && token.FindContainer(L"third") == third &&
                first->GetKey(AT_SIGNATURE) == firstKey);
    EXPECT_EQ(thirdKey->GetOpenKey().GetKeyLength(), 1024u) << "the open key still works";
    EXPECT_EQ(thirdKey->GetCertificateDisplayName(), L"Third");
    EXPECT_TRUE(first->IsDefault() && !third->IsDefault());
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginUser);

    EXPECT_THROW(token.DeleteContainer(L"second"), CCertException);
    EXPECT_EQ(token.FindContainer(L"first"), first) << "a failed deletion changes nothing";

    // A token gone from its reader fails the default's reading, which is read again next time.
    CTokenInfo fresh(L"Reader A", {});
    m_world.World().Remove("Reader A");
    EXPECT_THROW(fresh.GetDefaultContainer(), CCertException);
    m_world.World().Insert("Reader A", "Alpha");
    EXPECT_EQ(fresh.GetDefaultContainer(), L"first");
}

namespace {

constexpr const wchar_t* kA1 = L"\\\\.\\Reader A\\one";
constexpr const wchar_t* kA2 = L"\\\\.\\Reader A\\two";
constexpr const wchar_t* kB1 = L"\\\\.\\Reader B\\one";

bool WaitFor(const std::function<bool()>& done) {  // at most 15 s
    for (int i = 0; i < 1500 && !done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

class ContextCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_world.AddReader("Reader A");
        m_world.AddReader("Reader B");
        m_world.MakeToken("Alpha", {}, "Reader A");
        m_world.MakeToken("Beta", {}, "Reader B");
        m_world.AddContainer("Alpha", "one", {1}, {{"CN", "One"}});
        m_world.AddContainer("Alpha", "two", {1}, {{"CN", "Two"}});
        m_world.AddContainer("Beta", "one");
    }

    CProvContextRef Acquire(const wchar_t* container, const wchar_t* reader, DWORD flags = 0) {
        CProvContextRef ref;
        EXPECT_TRUE(CCryptoProvContextCache::Instance().Acquire(&ref, container, kCountingProvider,
                                                                reader, PROV_RSA_FULL, flags))
            << GetLastError();
        return ref;
    }

    // A reader event as the middleware delivers it on its thread.
    long Deliver(unsigned event, unsigned change, const wchar_t* reader) {
        VKAPIi_Reader_Event_Record record;
        record.event = event;
        record.change = change;
        record.user = &SDP::SINGLETON::Instance<SCardMonitor::CMonitor>();
        record.readerName = reader;
        return SCardMonitor::Reader_Event_Callback(event, change, reinterpret_cast<long>(&record));
    }

    static bool Alive(HCRYPTPROV handle) {
        DWORD type = 0, size = sizeof type;
        return CryptGetProvParam(handle, PP_PROVTYPE, reinterpret_cast<BYTE*>(&type), &size, 0);
    }

    tokentest::TokenTestWorld m_world;
};

}  // namespace

TEST_F(ContextCacheTest, EqualRequestsShareOneContextAndARemovalDropsThatReadersOnesOnly) {
    const HCRYPTPROV a1 = Acquire(kA1, L"Reader A").Get();
    EXPECT_EQ(Acquire(kA1, L"Reader A").Get(), a1);
    // The reader takes no part in equality.
    EXPECT_EQ(Acquire(kA1, L"another reader name").Get(), a1);
    EXPECT_EQ(m_world.Counter().Acquired(), 1);

    EXPECT_NE(Acquire(kA1, L"Reader A", CRYPT_SILENT).Get(), a1) << "other flags";
    const HCRYPTPROV a2 = Acquire(kA2, L"Reader A").Get();
    const HCRYPTPROV b1 = Acquire(kB1, L"Reader B").Get();
    EXPECT_EQ(m_world.Counter().Acquired(), 4);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 4u);

    // A refused request caches nothing and leaves the provider's error.
    CProvContextRef missing;
    EXPECT_FALSE(CCryptoProvContextCache::Instance().Acquire(
        &missing, L"\\\\.\\Reader A\\none", kCountingProvider, L"Reader A", PROV_RSA_FULL, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    EXPECT_FALSE(missing);

    // Insertions, other events (50: neither a reader state, nor an insertion or removal) and
    // removals from readers whose names differ in case or length change nothing.
    const std::tuple<unsigned, unsigned, const wchar_t*, long> events[] = {{1, 1, L"Reader A", 0},
                                                                           {2, 2, L"Reader A", 50},
                                                                           {1, 3, L"Reader A", 50},
                                                                           {1, 2, L"READER A", 0},
                                                                           {1, 2, L"Reader", 0}};
    for (const auto& [event, change, reader, answer] : events) {
        EXPECT_EQ(Deliver(event, change, reader), answer) << event << change;
    }
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 4u);
    EXPECT_TRUE(Alive(a1));

    EXPECT_EQ(Deliver(1, 2, L"Reader A"), 0);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 1u);
    EXPECT_FALSE(Alive(a1) || Alive(a2)) << "released";
    EXPECT_TRUE(Alive(b1));
    EXPECT_EQ(m_world.Counter().Released(), 3);

    EXPECT_EQ(Acquire(kB1, L"Reader B").Get(), b1);
    EXPECT_EQ(m_world.Counter().Acquired(), 4);
    Acquire(kA1, L"Reader A");
    EXPECT_EQ(m_world.Counter().Acquired(), 5) << "a dropped request goes to the provider again";
}

TEST_F(ContextCacheTest, EveryRemainingContextIsReleasedOnceAtExitOrWhenItsLastUserLetsGo) {
    const HCRYPTPROV a1 = Acquire(kA1, L"Reader A").Get();
    const HCRYPTPROV b1 = Acquire(kB1, L"Reader B").Get();
    CProvContextRef held = Acquire(kA2, L"Reader A");
    EXPECT_EQ(SDP::SINGLETON::Registry().UsageCount<SCardMonitor::CMonitor>(), 1)
        << "the cache holds the monitor";

    SDP::SINGLETON::Teardown();
    EXPECT_EQ(SDP::SINGLETON::Registry().UsageCount<SCardMonitor::CMonitor>(), -1);
    EXPECT_EQ(m_world.Counter().Released(), 2);
    EXPECT_FALSE(Alive(a1) || Alive(b1));
    EXPECT_TRUE(Alive(held.Get())) << "still in use";
    held.Reset();
    EXPECT_EQ(m_world.Counter().Released(), 3);
    EXPECT_EQ(m_world.Counter().Acquired(), 3);

    // A cache made afterwards starts empty.
    Acquire(kA1, L"Reader A");
    EXPECT_EQ(m_world.Counter().Acquired(), 4);
}

TEST_F(ContextCacheTest, ExitWhileTokensComeAndGoTouchesNothingDestroyed) {
    std::atomic<bool> stop{false};
    std::thread toggler([&] {
        vkstore::TokenWorld world;
        while (!stop) {
            world.Remove("Reader A");
            world.Insert("Reader A", "Alpha");
        }
    });
    for (int i = 0; i < 15; ++i) {
        CProvContextRef ref;
        CCryptoProvContextCache::Instance().Acquire(&ref, kB1, kCountingProvider, L"Reader B",
                                                    PROV_RSA_FULL, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SDP::SINGLETON::Teardown();
    }
    stop = true;
    toggler.join();
    EXPECT_EQ(m_world.Counter().Acquired(), m_world.Counter().Released());
}

TEST_F(ContextCacheTest, ReadingCertificatesWhileTheTokenIsRemoved) {
    SVKCERT::CProviderDescriptor provider;
    provider.name = tokentest::kCountingProvider;
    const std::vector<BYTE> expected = SVKCERT::ReadKeyCertificate(provider, kReader, L"one", 1);

    CProvContextRef held = SVKCERT::AcquireCached(provider, kReader, L"two");

    std::atomic<bool> stop{false};
    std::atomic<int> good{0}, removed{0};
    std::atomic<DWORD> unexpected{0};  // an error's code, or 1 for another certificate
    std::thread window([&] {
        for (unsigned i = 0; !stop; ++i) {
            try {
                const std::vector<BYTE> cert =
                    SVKCERT::ReadKeyCertificate(provider, kReader, i % 2 ? L"two" : L"one", 1);
                if (i % 2 == 0 && cert != expected) {
                    unexpected = 1;
                }
                ++good;
            } catch (const CCertException& e) {
                if (e.GetCode() == SCARD_W_REMOVED_CARD || e.GetCode() == SCARD_E_NO_SMARTCARD) {
                    ++removed;
                } else {
                    unexpected = e.GetCode();
                }
            }
        }
    });
    ASSERT_TRUE(WaitFor([&] { return good.load() >= 20; }));
    m_world.World().Remove("Reader A");
    ASSERT_TRUE(WaitFor([&] { return removed.load() >= 20; }));
    stop = true;
    window.join();
    EXPECT_EQ(unexpected.load(), 0u) << std::hex << unexpected.load();

    // The cache let the held context go, but its user still has it until it lets go.
    EXPECT_TRUE(WaitFor([] { return CCryptoProvContextCache::Instance().Size() == 0; }));
    HCRYPTKEY key = 0;
    EXPECT_FALSE(CryptGetUserKey(held.Get(), AT_KEYEXCHANGE, &key));
    EXPECT_EQ(GetLastError(), SCARD_W_REMOVED_CARD) << "the context lives, its token is gone";
    const HCRYPTPROV handle = held.Get();
    held.Reset();
    EXPECT_FALSE(CryptGetUserKey(handle, AT_KEYEXCHANGE, &key));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID) << "released with its last user";
    EXPECT_EQ(m_world.Counter().Acquired(), m_world.Counter().Released());
}
