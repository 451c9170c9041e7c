// The provider operations over virtual tokens: container enumeration, the default mark, deletion
// and creation, login state, keys and certificates, the temporary software key set, the
// certificate display name and the reader lock across processes. The objects that cache what
// these read are in TokenInfoTest.cpp.
#include <openssl/evp.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "TokenTestWorld.h"
#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "program/token/CCertException.h"
#include "program/token/COpenKey.h"
#include "program/token/CReaderLock.h"
#include "program/token/CTempKeySet.h"
#include "program/token/CertificateDisplayName.h"
#include "program/token/ContainerOperations.h"
#include "program/token/KeyOperations.h"
#include "program/token/LoginState.h"
#include "support/ChildProcess.h"

using SVKCERT::CProviderDescriptor;
using SVKCERT::SEXCPT::CCertException;

namespace {

const std::wstring kReader = L"Reader A";

class ProviderOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_world.AddReader("Reader A");
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

    tokentest::TokenTestWorld m_world;
    CProviderDescriptor m_velkora;
    CProviderDescriptor m_counting;
};

}  // namespace

TEST_F(ProviderOperationsTest, EnumerationListsEveryNameWhateverItsLength) {
    EXPECT_TRUE(Enumerate().empty()) << "a token without containers";
    EXPECT_NE(CodeOf([&] { Enumerate(L"Empty reader"); }), 0u) << "no token: an error";
    EXPECT_NE(CodeOf([&] { Enumerate(L"reader a"); }), 0u) << "reader names are exact";

    const std::vector<std::string> names = {"mid-sized name", std::string(200, 'L'), "x",
                                            "\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87", "ab"};
    for (const auto& name : names) {
        m_world.AddContainer("Alpha", name);
    }
    const std::vector<std::wstring> expected = {L"mid-sized name", std::wstring(200, L'L'), L"x",
                                                L"\u043a\u043b\u044e\u0447", L"ab"};
    EXPECT_EQ(Enumerate(), expected);

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
    EXPECT_EQ(SVKCERT::ReadLoginState(kReader), SVKCERT::kLoginUser);
    SVKCERT::SetDefaultContainer(m_counting, kReader, L"second", true);
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
    m_world.Logout("Reader A");
    EXPECT_EQ(SVKCERT::ReadLoginState(kReader), SVKCERT::kLoginGuest);
}

TEST_F(ProviderOperationsTest, KeysCertificatesAndPublicBlobs) {
    m_world.AddContainer("Alpha", "exchange only", {1}, {{"CN", "Exchange Holder"}});
    m_world.AddContainer("Alpha", "bare", {2}, {});
    SVKCERT::COpenKey key;
    key.Open(m_velkora, kReader, L"exchange only", AT_KEYEXCHANGE);
    EXPECT_TRUE(key.IsOpen());
    const std::vector<BYTE> blob = key.ExportBlob(PUBLICKEYBLOB);
    ASSERT_GE(blob.size(), sizeof(BLOBHEADER) + sizeof(RSAPUBKEY) + 128);
    EXPECT_EQ(blob[0], PUBLICKEYBLOB);
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

    // A public blob imports into a temporary software key set, which goes with its object.
    {
        SVKCERT::CTempKeySet temp(L"vkcert test import");
        EXPECT_EQ(temp.ProviderName(), MS_ENHANCED_PROV_W);
        const HCRYPTKEY imported = SVKCERT::ImportKeyBlob(temp.Context(), blob, 0);
        EXPECT_NE(imported, 0u);
        CryptDestroyKey(imported);
        const std::vector<BYTE> cut(blob.begin(), blob.begin() + 10);
        EXPECT_NE(CodeOf([&] { SVKCERT::ImportKeyBlob(temp.Context(), cut, 0); }), 0u);
    }
    HCRYPTPROV gone = 0;
    EXPECT_FALSE(
        CryptAcquireContextW(&gone, L"vkcert test import", MS_ENHANCED_PROV_W, PROV_RSA_FULL, 0));
}

TEST(CertificateDisplayName, TheLastCommonNameWinsAndFailuresGiveNothing) {
    EVP_PKEY* key = tokentest::SharedKey();
    std::vector<BYTE> cut = tokentest::MakeCertificate(key, {{"CN", "Cut"}});
    cut.resize(cut.size() / 2);
    const std::pair<std::vector<BYTE>, std::wstring> cases[] = {
        {tokentest::MakeCertificate(key, {{"CN", "A"}, {"O", "Org"}, {"CN", "Last"}, {"OU", "U"}}),
         L"Last"},
        {tokentest::MakeCertificate(key, {{"CN", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"}}),
         L"\u0418\u0432\u0430\u043d"},
        {tokentest::MakeCertificate(key, {{"O", "Org"}}), L""},
        {{}, L""},
        {cut, L""},
        {{0x30, 0x03, 0x02, 0x01, 0x00}, L""}};
    for (const auto& [der, name] : cases) {
        EXPECT_EQ(SVKCERT::CertificateDisplayName(der), name) << der.size();
    }
}

VK_TEST_CHILD(hold_reader_lock) {
    CReaderLock lock(L"Reader A");
    if (!lock.Owns()) {
        return 2;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    // Written while the lock is still held: whoever waited for the lock sees it.
    std::ofstream(args.at(0)) << "released";
    return 0;
}

TEST_F(ProviderOperationsTest, AnotherProcessHoldingTheReaderLockMakesEnumerationWait) {
    m_world.AddContainer("Alpha", "c");
    const std::filesystem::path marker = std::filesystem::temp_directory_path() / "released";
    vktest::ChildProcess child("hold_reader_lock", {marker.string()}, true);
    std::string line;
    ASSERT_TRUE(child.ReadLine(line));
    ASSERT_EQ(line, "locked");
    EXPECT_EQ(Enumerate(), std::vector<std::wstring>{L"c"});
    EXPECT_TRUE(std::filesystem::exists(marker)) << "enumerated while the other process held it";
    EXPECT_EQ(child.Wait(), 0);

    // Another reader's lock is another mutex.
    vktest::ChildProcess again("hold_reader_lock", {(marker.string() + "2")}, true);
    ASSERT_TRUE(again.ReadLine(line));
    {
        CReaderLock other(L"Reader B");
        EXPECT_TRUE(other.Owns());
        EXPECT_FALSE(std::filesystem::exists(marker.string() + "2"));
    }
    EXPECT_EQ(again.Wait(), 0);
}
