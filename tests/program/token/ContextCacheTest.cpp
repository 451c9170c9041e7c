// The provider context cache and reader monitor: which requests share a context, what reader
// events do to the table, every context released once (at exit, by its last user, while tokens
// come and go), and a token taken out while another thread reads through cached contexts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TokenTestWorld.h"
#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/middleware/VKAPIi.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/token/CCertException.h"
#include "program/token/CCryptoProvContextCache.h"
#include "program/token/CMonitor.h"
#include "program/token/ContainerOperations.h"
#include "program/token/KeyOperations.h"

using SVKCERT::SCONTEXTCACHE::CCryptoProvContextCache;
using SVKCERT::SCONTEXTCACHE::CProvContextRef;
using tokentest::kCountingProvider;

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

TEST_F(ContextCacheTest, EqualRequestsShareOneContextAndAnyDifferenceMakesAnother) {
    const HCRYPTPROV first = Acquire(kA1, L"Reader A").Get();
    EXPECT_EQ(Acquire(kA1, L"Reader A").Get(), first);
    // The reader takes no part in equality.
    EXPECT_EQ(Acquire(kA1, L"another reader name").Get(), first);
    EXPECT_EQ(m_world.Counter().Acquired(), 1);

    const HCRYPTPROV silent = Acquire(kA1, L"Reader A", CRYPT_SILENT).Get();
    EXPECT_NE(silent, first);
    EXPECT_EQ(m_world.Counter().Acquired(), 2) << "other flags: another provider call";
    EXPECT_NE(Acquire(kA2, L"Reader A").Get(), first);
    EXPECT_EQ(m_world.Counter().Acquired(), 3);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 3u);

    // A provider name is an exact key: another spelling of the same provider is another entry.
    CProvContextRef velkora;
    ASSERT_TRUE(CCryptoProvContextCache::Instance().Acquire(
        &velkora, kA1, L"Orvel Velkora CSP v1.0", L"Reader A", PROV_RSA_FULL, 0));
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 4u);

    // A refused request caches nothing and leaves the provider's error.
    CProvContextRef missing;
    EXPECT_FALSE(CCryptoProvContextCache::Instance().Acquire(
        &missing, L"\\\\.\\Reader A\\none", kCountingProvider, L"Reader A", PROV_RSA_FULL, 0));
    EXPECT_EQ(GetLastError(), NTE_BAD_KEYSET);
    EXPECT_FALSE(missing);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 4u);
}

TEST_F(ContextCacheTest, RemovalDropsExactlyTheContextsOfThatReaderNameCaseSensitively) {
    const HCRYPTPROV a1 = Acquire(kA1, L"Reader A").Get();
    const HCRYPTPROV a2 = Acquire(kA2, L"Reader A").Get();
    const HCRYPTPROV b1 = Acquire(kB1, L"Reader B").Get();
    ASSERT_EQ(m_world.Counter().Acquired(), 3);

    // Insertions and other events change nothing.
    EXPECT_EQ(Deliver(1, 1, L"Reader A"), 0);
    EXPECT_EQ(Deliver(2, 2, L"Reader A"), 50) << "not a reader state event";
    EXPECT_EQ(Deliver(1, 3, L"Reader A"), 50) << "neither insertion nor removal";
    EXPECT_EQ(Deliver(1, 2, L"READER A"), 0);
    EXPECT_EQ(Deliver(1, 2, L"Reader"), 0);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 3u)
        << "names differing in case match none";
    EXPECT_TRUE(Alive(a1));

    EXPECT_EQ(Deliver(1, 2, L"Reader A"), 0);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 1u);
    EXPECT_FALSE(Alive(a1)) << "released";
    EXPECT_FALSE(Alive(a2));
    EXPECT_TRUE(Alive(b1));
    EXPECT_EQ(m_world.Counter().Released(), 2);

    EXPECT_EQ(Acquire(kB1, L"Reader B").Get(), b1);
    EXPECT_EQ(m_world.Counter().Acquired(), 3);
    Acquire(kA1, L"Reader A");
    EXPECT_EQ(m_world.Counter().Acquired(), 4) << "a dropped request goes to the provider again";
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
    EXPECT_FALSE(Alive(a1));
    EXPECT_FALSE(Alive(b1));
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
    const std::wstring reader = L"Reader A";
    const std::vector<BYTE> expected = SVKCERT::ReadKeyCertificate(provider, reader, L"one", 1);

    // A context held across the removal stays usable until it is let go.
    CProvContextRef held = SVKCERT::AcquireCached(provider, reader, L"two");

    std::atomic<bool> stop{false};
    std::atomic<int> good{0}, removed{0}, other{0};
    std::atomic<DWORD> otherCode{0};
    std::thread window([&] {
        const wchar_t* containers[] = {L"one", L"two"};
        for (unsigned i = 0; !stop; ++i) {
            try {
                const std::vector<BYTE> cert =
                    SVKCERT::ReadKeyCertificate(provider, reader, containers[i % 2], 1);
                if (i % 2 == 0 && cert != expected) {
                    ++other;
                }
                ++good;
            } catch (const SVKCERT::SEXCPT::CCertException& e) {
                if (e.GetCode() == SCARD_W_REMOVED_CARD || e.GetCode() == SCARD_E_NO_SMARTCARD) {
                    ++removed;
                } else {
                    otherCode = e.GetCode();
                    ++other;
                }
            }
        }
    });
    ASSERT_TRUE(WaitFor([&] { return good.load() >= 20; }));
    m_world.World().Remove("Reader A");
    ASSERT_TRUE(WaitFor([&] { return removed.load() >= 20; }));
    stop = true;
    window.join();
    EXPECT_EQ(other.load(), 0) << "unexpected error " << std::hex << otherCode.load();

    // The cache let the held context go, but its user still has it.
    EXPECT_TRUE(WaitFor([] { return CCryptoProvContextCache::Instance().Size() == 0; }));
    HCRYPTKEY key = 0;
    EXPECT_FALSE(CryptGetUserKey(held.Get(), AT_KEYEXCHANGE, &key));
    EXPECT_EQ(GetLastError(), SCARD_W_REMOVED_CARD) << "the context lives, its token is gone";
    const int releasedBefore = m_world.Counter().Released();
    const HCRYPTPROV handle = held.Get();
    held.Reset();
    EXPECT_EQ(m_world.Counter().Released(), releasedBefore + 1);
    EXPECT_FALSE(CryptGetUserKey(handle, AT_KEYEXCHANGE, &key));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID) << "released with its last user";
    EXPECT_EQ(m_world.Counter().Acquired(), m_world.Counter().Released());
}
