// Cached contexts and logins when another process changes the token under them: a container
// deleted and made again under the same name, a token pulled out and put back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TokenTestWorld.h"
#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/token/VelkoraContext.h"
#include "platform/token/VelkoraProvider.h"
#include "program/token/CCertException.h"
#include "program/token/CCryptoProvContextCache.h"
#include "program/token/ContainerOperations.h"
#include "program/token/KeyOperations.h"
#include "support/ChildProcess.h"

using SVKCERT::SCONTEXTCACHE::CCryptoProvContextCache;

namespace {

const std::wstring kReader = L"Reader A";

void Vktoken(std::vector<std::string> argv) {
    argv.insert(argv.begin(), VKTOKEN);
    ASSERT_EQ(vktest::ChildProcess::Exec(argv).Wait(), 0) << argv.at(1);
}

bool LoggedIn(HCRYPTPROV prov = 0) {
    const bool own = prov == 0;
    EXPECT_TRUE(!own || CryptAcquireContextW(&prov, L"\\\\.\\Reader A\\one",
                                             vkstore::kVelkoraProviderName, PROV_RSA_FULL, 0));
    DWORD on = 0, size = sizeof on;
    const BOOL ok =
        CryptGetProvParam(prov, vkstore::PP_VK_LOGIN_STATE, reinterpret_cast<BYTE*>(&on), &size, 0);
    if (own) {
        CryptReleaseContext(prov, 0);
    }
    return ok && on != 0;
}

class ContextRenewalTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_world.AddReader("Reader A");
        m_world.MakeToken("Alpha", {}, "Reader A");
        m_world.AddContainer("Alpha", "one", {1}, {{"CN", "First"}});
    }

    tokentest::TokenTestWorld m_world;
    SVKCERT::CProviderDescriptor m_velkora;
};

}  // namespace

TEST_F(ContextRenewalTest, AContainerMadeAgainByAnotherProcessIsReadAndADeletionEvicts) {
    const std::vector<BYTE> first = SVKCERT::ReadKeyCertificate(m_velkora, kReader, L"one", 1);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 1u);

    Vktoken({"delete-container", "Alpha", "one", "--pin", tokentest::kPin});
    Vktoken({"add-container", "Alpha", "one", "--pin", tokentest::kPin, "--bits", "1024", "--cn",
             "Second"});
    std::vector<BYTE> second;
    try {  // not the answer of the cached context of the old container
        second = SVKCERT::ReadKeyCertificate(m_velkora, kReader, L"one", 1);
    } catch (const SVKCERT::SEXCPT::CCertException& e) {
        FAIL() << std::hex << e.GetCode();
    }
    EXPECT_FALSE(second.empty());
    EXPECT_NE(second, first);
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 1u);

    // This process's own deletion drops the cached context at once.
    m_world.Login("Reader A");
    SVKCERT::DeleteContainer(m_velkora, kReader, L"one");
    EXPECT_EQ(CCryptoProvContextCache::Instance().Size(), 0u);
}

TEST_F(ContextRenewalTest, AHandleFromBeforeARemovalFailsWithoutEndingTheNewLogin) {
    HCRYPTPROV old = 0;
    ASSERT_TRUE(CryptAcquireContextW(&old, L"\\\\.\\Reader A\\one", vkstore::kVelkoraProviderName,
                                     PROV_RSA_FULL, 0));
    m_world.Login("Reader A");

    Vktoken({"remove", "Reader A"});
    Vktoken({"insert", "Reader A", "Alpha"});
    EXPECT_FALSE(LoggedIn()) << "the login ended with the removal";
    m_world.Login("Reader A");
    ASSERT_TRUE(LoggedIn());

    // Every kind of use of the old handle fails as removed and leaves the new login alone.
    HCRYPTKEY key = 0;
    EXPECT_FALSE(CryptGenKey(old, AT_SIGNATURE, 1024u << 16, &key));
    EXPECT_TRUE(LoggedIn()) << "after CryptGenKey on the old handle";
    EXPECT_FALSE(CryptGetUserKey(old, AT_KEYEXCHANGE, &key));
    EXPECT_EQ(GetLastError(), SCARD_W_REMOVED_CARD);
    EXPECT_FALSE(LoggedIn(old));
    const DWORD mark = 1;
    EXPECT_FALSE(CryptSetProvParam(old, vkstore::PP_VK_DEFAULT_CONTAINER,
                                   reinterpret_cast<const BYTE*>(&mark), 0));
    EXPECT_FALSE(CryptSetProvParam(old, PP_KEYEXCHANGE_PIN, nullptr, 0));
    EXPECT_TRUE(LoggedIn()) << "after the other calls on the old handle";
    CryptReleaseContext(old, 0);
}
