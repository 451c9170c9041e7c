// The token information objects over virtual tokens: the record with its model names and ID,
// what is read once and what forgets it (record, login state, default container, a key's
// certificate and registration), containers across a deletion. The provider calls beneath are
// in ProviderOperationsTest.cpp, setting the default mark in tests/program/ops.
#include <gtest/gtest.h>

#include "TokenTestWorld.h"
#include "platform/cert/CertApi.h"
#include "platform/token/TokenStore.h"
#include "program/app/UiLanguage.h"
#include "program/token/CCertException.h"
#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/token/STokenRecord.h"

using SVKCERT::SEXCPT::CCertException;

namespace {

vkstore::TokenRecordData Record(std::uint8_t type, std::uint8_t major, std::uint32_t memory) {
    vkstore::TokenRecordData data;
    data.type = type;
    data.versionMajor = major;
    data.memorySize = memory;
    return data;
}

class TokenInfoTest : public ::testing::Test {
protected:
    void SetUp() override { m_world.AddReader("Reader A"); }

    // Changes the stored token behind the objects' back.
    vkstore::TokenStore Store(const std::string& label) {
        return vkstore::TokenStore(
            m_world.World().TokenFile(m_world.World().FindToken(label)->uuid));
    }

    static std::vector<std::wstring> Names(CTokenInfo& token) {
        std::vector<std::wstring> names;
        for (const auto& container : token.GetContainers()) {
            names.push_back(container->GetName());
        }
        return names;
    }

    tokentest::TokenTestWorld m_world;
};

}  // namespace

TEST_F(TokenInfoTest, ModelNamesInEveryLanguageAndTheRecordsFields) {
    SetUiLanguage(LANG_RUSSIAN_ID);  // model names stay English
    const std::tuple<BYTE, BYTE, DWORD, const wchar_t*> models[] = {
        {0, 1, 32768, L"Velkora 32K"},    {0, 2, 32768, L"Velkora Mini 32K"},
        {0, 3, 2048, L"Velkora Mini 2K"}, {1, 1, 2047, L"Velkora Pro 1K"},
        {1, 1, 1023, L"Velkora Pro 0K"},  {2, 1, 65536, L" 64K"}};
    for (const auto& [type, major, memory, text] : models) {
        EXPECT_EQ(TokenTypeText(TokenModelName(type, major), memory), text);
    }
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);

    vkstore::TokenRecordData data = Record(0, 1, 131072);
    data.versionMinor = 14;
    data.freeMemory = 70001;
    data.protocol = 7;
    data.microcode = 9;
    data.tokenId = 0x12345678;  // the middleware's buffer holds 78 56 34 12
    data.pinPolicy = 2;
    m_world.MakeToken("\xD0\x9C\xD0\xBE\xD0\xB9 token", data, "Reader A");
    m_world.AddContainer("\xD0\x9C\xD0\xBE\xD0\xB9 token", "c");
    const STokenRecord record = CTokenInfo(L"Reader A", {}).GetTokenRecord();
    EXPECT_EQ(record.label, L"\u041c\u043e\u0439 token");
    EXPECT_EQ(record.typeText, L"Velkora 128K") << "by the major version";
    EXPECT_EQ(record.tokenType, 0);
    EXPECT_EQ(record.tokenId, 0x12345678u);
    EXPECT_EQ(record.versionMajor * 100 + record.versionMinor, 114);
    EXPECT_EQ(record.protocolNumber * 10 + record.microprogramNumber, 79);
    EXPECT_EQ(record.freeMemory, 70001u);
    EXPECT_EQ(record.pinChangePolicy, 2);
    const BYTE buffer[] = {0x78, 0x56, 0x34, 0x12, 0xFF};
    EXPECT_EQ(TokenIdFromBuffer(buffer, sizeof buffer), 0x12345678u);
    EXPECT_EQ(TokenIdFromBuffer(buffer, 3), 0u) << "a short buffer holds no ID";

    // Reader names are exact.
    CTokenInfo other(L"reader a", {});
    EXPECT_EQ(other.GetTokenRecord().label, L"");
    EXPECT_TRUE(other.GetContainers().empty());
    CTokenInfo same(L"Reader A", {});
    EXPECT_EQ(Names(same), std::vector<std::wstring>{L"c"});
}

TEST_F(TokenInfoTest, RecordAndLoginStateAreReadOnceUntilTheCachesAreCleared) {
    m_world.MakeToken("Alpha", Record(1, 1, 65536), "Reader A");
    CTokenInfo token(L"Reader A", {});
    EXPECT_EQ(token.GetTokenRecord().typeText, L"Velkora Pro 64K");
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginGuest);
    EXPECT_EQ(token.GetDefaultContainer(), L"") << "none";

    vkstore::TokenRecordData changed = Record(0, 2, 8192);
    changed.label = "Renamed";
    Store("Alpha").SetRecord(changed);
    m_world.Login("Reader A");
    EXPECT_EQ(token.GetTokenRecord().label, L"Alpha") << "the middleware was asked again";
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginGuest) << "the provider was asked again";

    token.ClearTokenCaches();
    EXPECT_EQ(token.GetTokenRecord().typeText, L"Velkora Mini 8K");
    EXPECT_EQ(token.GetTokenRecord().label, L"Renamed");
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginUser) << "the login state was kept";

    m_world.Logout("Reader A");
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginUser);
    token.ResetLoginState();
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginGuest);
}

TEST_F(TokenInfoTest, DeletingOneContainerKeepsTheOthersAndClearsTheTokensCaches) {
    m_world.MakeToken("Alpha", {}, "Reader A");
    m_world.AddContainer("Alpha", "first", {1, 2});
    m_world.AddContainer("Alpha", "second", {1});
    m_world.AddContainer("Alpha", "third", {2}, {{"CN", "Third"}}, true);
    CTokenInfo token(L"Reader A", {});
    ASSERT_EQ(Names(token), (std::vector<std::wstring>{L"first", L"second", L"third"}));
    EXPECT_EQ(token.FindContainer(L"THIRD"), nullptr);
    CContainerInfo* first = token.FindContainer(L"first");
    CContainerInfo* third = token.FindContainer(L"third");
    CKeyInfo* firstKey = first->GetKey(AT_SIGNATURE);
    CKeyInfo* thirdKey = third->GetKey(AT_SIGNATURE);
    ASSERT_NE(firstKey, nullptr);
    ASSERT_NE(thirdKey, nullptr);
    EXPECT_EQ(third->GetKey(AT_KEYEXCHANGE), nullptr) << "no such key";
    EXPECT_TRUE(third->IsDefault());
    EXPECT_FALSE(first->IsDefault());
    token.GetTokenRecord();

    m_world.Login("Reader A");
    {
        vkstore::TokenStore store = Store("Alpha");
        store.SetDefault(store.FindContainer("first")->id, true);
        vkstore::TokenRecordData data = store.Record();
        data.label = "Relabelled";
        store.SetRecord(data);
    }
    EXPECT_TRUE(third->IsDefault()) << "cached";

    token.DeleteContainer(L"second");
    EXPECT_EQ(Names(token), (std::vector<std::wstring>{L"first", L"third"}));
    EXPECT_EQ(token.FindContainer(L"first"), first);
    EXPECT_EQ(token.FindContainer(L"third"), third);
    EXPECT_EQ(first->GetKey(AT_SIGNATURE), firstKey);
    EXPECT_EQ(thirdKey->GetOpenKey().GetKeyLength(), 1024u) << "the open key still works";
    EXPECT_EQ(thirdKey->GetCertificateDisplayName(), L"Third");
    EXPECT_TRUE(first->IsDefault());
    EXPECT_FALSE(third->IsDefault());
    EXPECT_EQ(token.GetTokenRecord().label, L"Relabelled");
    EXPECT_EQ(token.GetLoginState(), SVKCERT::kLoginUser);

    EXPECT_THROW(token.DeleteContainer(L"second"), CCertException);
    EXPECT_EQ(token.FindContainer(L"first"), first) << "a failed deletion changes nothing";

    // A token gone from its reader has no "no default container": the failure passes on and
    // the name is read again next time.
    CTokenInfo fresh(L"Reader A", {});
    m_world.World().Remove("Reader A");
    EXPECT_THROW(fresh.GetDefaultContainer(), CCertException);
    m_world.World().Insert("Reader A", "Alpha");
    EXPECT_EQ(fresh.GetDefaultContainer(), L"first");
}

TEST_F(TokenInfoTest, KeyCachesAndRegistrationInTheUsersStore) {
    m_world.MakeToken("Alpha", {}, "Reader A");
    m_world.AddContainer("Alpha", "signed", {1}, {{"CN", "Old"}, {"CN", "Holder"}});
    m_world.AddContainer("Alpha", "bare", {1}, {});
    CTokenInfo token(L"Reader A", {});
    CKeyInfo* key = token.FindContainer(L"signed")->GetKey(AT_KEYEXCHANGE);
    CKeyInfo* bare = token.FindContainer(L"bare")->GetKey(AT_KEYEXCHANGE);
    ASSERT_NE(key, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_FALSE(bare->HasCertificate());
    EXPECT_EQ(bare->GetCertificateDisplayName(), L"");
    EXPECT_FALSE(bare->IsRegistered());
    EXPECT_EQ(key->GetCertificateDisplayName(), L"Holder");
    EXPECT_EQ(key->GetKeyLength(), 1024u);
    EXPECT_NE(key->GetPermissions(), 0u);
    EXPECT_FALSE(key->IsRegistered());

    HCERTSTORE store = CertOpenSystemStoreW(0, L"MY");
    ASSERT_NE(store, nullptr);
    const std::vector<BYTE> der = key->GetCertificate();
    ASSERT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                 der.data(), static_cast<DWORD>(der.size()),
                                                 CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    CertCloseStore(store, 0);
    EXPECT_FALSE(key->IsRegistered()) << "cached until the key's caches are cleared";
    key->ClearCaches();
    EXPECT_TRUE(key->IsRegistered());

    m_world.Login("Reader A");
    const std::vector<BYTE> other =
        tokentest::MakeCertificate(tokentest::SharedKey(), {{"CN", "New holder"}});
    key->GetOpenKey().AssignCertificate(other);
    EXPECT_EQ(key->GetCertificateDisplayName(), L"Holder");
    key->ClearCaches();
    EXPECT_EQ(key->GetCertificate(), other);
    EXPECT_EQ(key->GetCertificateDisplayName(), L"New holder");
    EXPECT_FALSE(key->IsRegistered());
}
