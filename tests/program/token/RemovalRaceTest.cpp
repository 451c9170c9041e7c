// A token taken out of its reader while another thread reads certificates through cached
// contexts: the sweep on the middleware's thread and the reads neither crash nor race (this
// program also runs under ThreadSanitizer), and a context in use outlives the sweep until its
// user lets go.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TokenTestWorld.h"
#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "program/token/CCertException.h"
#include "program/token/CCryptoProvContextCache.h"
#include "program/token/ContainerOperations.h"
#include "program/token/KeyOperations.h"

using SVKCERT::SCONTEXTCACHE::CCryptoProvContextCache;

namespace {

bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

TEST(RemovalRace, ReadingCertificatesWhileTheTokenIsRemoved) {
    tokentest::TokenTestWorld world;
    world.AddReader("Reader A");
    world.MakeToken("Alpha", {}, "Reader A");
    world.AddContainer("Alpha", "one", {1, 2}, {{"CN", "One"}});
    world.AddContainer("Alpha", "two", {1}, {{"CN", "Two"}});
    SVKCERT::CProviderDescriptor provider;
    provider.name = tokentest::kCountingProvider;
    const std::wstring reader = L"Reader A";
    const std::vector<BYTE> expected = SVKCERT::ReadKeyCertificate(provider, reader, L"one", 1);

    // A context held across the removal stays usable until it is let go.
    SVKCERT::SCONTEXTCACHE::CProvContextRef held = SVKCERT::AcquireCached(provider, reader, L"two");

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
    world.World().Remove("Reader A");
    ASSERT_TRUE(WaitFor([&] { return removed.load() >= 20; }));
    stop = true;
    window.join();
    EXPECT_EQ(other.load(), 0) << "unexpected error " << std::hex << otherCode.load();

    // The cache let the held context go, but its user still has it.
    EXPECT_TRUE(WaitFor([] { return CCryptoProvContextCache::Instance().Size() == 0; }));
    HCRYPTKEY key = 0;
    EXPECT_FALSE(CryptGetUserKey(held.Get(), AT_KEYEXCHANGE, &key));
    EXPECT_EQ(GetLastError(), SCARD_W_REMOVED_CARD) << "the context lives, its token is gone";
    const int releasedBefore = world.Counter().Released();
    const HCRYPTPROV handle = held.Get();
    held.Reset();
    EXPECT_EQ(world.Counter().Released(), releasedBefore + 1);
    EXPECT_FALSE(CryptGetUserKey(handle, AT_KEYEXCHANGE, &key));
    EXPECT_EQ(GetLastError(), NTE_BAD_UID) << "released with its last user";
    EXPECT_EQ(world.Counter().Acquired(), world.Counter().Released());
}
