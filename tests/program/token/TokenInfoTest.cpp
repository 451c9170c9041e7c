// The token information objects over virtual tokens: the record with its model names, type
// text and ID, what is read once and what clears it, containers and their keys across a
// deletion, the default container, and a key's certificate, name and registration state.
#include <gtest/gtest.h>

#include "TokenTestWorld.h"
#include "program/app/UiLanguage.h"
#include "platform/cert/CertApi.h"
#include "platform/text/FormatString.h"
#include "platform/token/TokenStore.h"
#include "program/token/CCertException.h"
#include "program/token/CTokenInfo.h"

namespace {

class TokenInfoTest : public ::testing::Test {
protected:
    void SetUp() override { m_world.AddReader("Reader A"); }

    STokenRecord RecordOf(vkstore::TokenRecordData data) {
        static int serial = 0;
        const std::string reader = "R" + std::to_string(++serial);
        m_world.AddReader(reader);
        m_world.MakeToken("T" + reader, data, reader);
        CTokenInfo token(std::wstring(reader.begin(), reader.end()), {});
        return token.GetTokenRecord();
    }

    void SetStoredRecord(const std::string& label, const vkstore::TokenRecordData& data) {
        auto entry = m_world.World().FindToken(label);
        vkstore::TokenStore store(m_world.World().TokenFile(entry->uuid));
        store.SetRecord(data);
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

vkstore::TokenRecordData Record(std::uint8_t type, std::uint8_t major, std::uint32_t memory) {
    vkstore::TokenRecordData data;
    data.type = type;
    data.versionMajor = major;
    data.memorySize = memory;
    return data;
}

}  // namespace

TEST_F(TokenInfoTest, ModelNamesAndTypeTextsInEveryLanguage) {
    for (LANGID language : {LANG_NEUTRAL_DEFAULT_ID, LANG_RUSSIAN_ID}) {
        SetUiLanguage(language);
        EXPECT_EQ(RecordOf(Record(0, 1, 32768)).typeText, L"Velkora 32K");
        EXPECT_EQ(RecordOf(Record(0, 2, 32768)).typeText, L"Velkora Mini 32K");
        EXPECT_EQ(RecordOf(Record(0, 3, 2048)).typeText, L"Velkora Mini 2K");
        EXPECT_EQ(RecordOf(Record(1, 1, 65536)).typeText, L"Velkora Pro 64K");
        EXPECT_EQ(RecordOf(Record(1, 1, 1023)).typeText, L"Velkora Pro 0K");
        EXPECT_EQ(RecordOf(Record(1, 1, 2047)).typeText, L"Velkora Pro 1K");
        EXPECT_EQ(RecordOf(Record(2, 1, 65536)).typeText, L" 64K") << "a type without model name";
    }
    SetUiLanguage(LANG_NEUTRAL_DEFAULT_ID);
}

TEST_F(TokenInfoTest, RecordFieldsAndTheIdReadLittleEndian) {
    vkstore::TokenRecordData data;
    data.type = 1;
    data.versionMajor = 3;
    data.versionMinor = 14;
    data.memorySize = 131072;
    data.freeMemory = 70001;
    data.protocol = 7;
    data.microcode = 9;
    data.tokenId = 0x12345678;  // the middleware's buffer holds 78 56 34 12
    data.pinPolicy = 2;
    m_world.MakeToken("\xD0\x9C\xD0\xBE\xD0\xB9 token", data, "Reader A");

    CTokenInfo token(L"Reader A", {});
    const STokenRecord record = token.GetTokenRecord();
    EXPECT_EQ(record.label, L"\u041c\u043e\u0439 token");
    EXPECT_EQ(record.tokenType, 1);
    EXPECT_EQ(record.tokenId, 0x12345678u);
    EXPECT_EQ(FormatString(L"%08X", record.tokenId), L"12345678");
    EXPECT_EQ(record.versionMajor, 3);
    EXPECT_EQ(record.versionMinor, 14);
    EXPECT_EQ(record.protocolNumber, 7);
    EXPECT_EQ(record.microprogramNumber, 9);
    EXPECT_EQ(record.freeMemory, 70001u);
    EXPECT_EQ(record.pinChangePolicy, 2);
    EXPECT_EQ(record.typeText, L"Velkora Pro 128K");
    EXPECT_TRUE(record.header.empty());
    EXPECT_TRUE(record.policyText.empty());

    const BYTE buffer[] = {0x78, 0x56, 0x34, 0x12, 0xFF};
    EXPECT_EQ(TokenIdFromBuffer(buffer, sizeof buffer), 0x12345678u);
    EXPECT_EQ(TokenIdFromBuffer(buffer, 3), 0u) << "a short buffer holds no ID";
}

TEST_F(TokenInfoTest, TheRecordIsReadOnceUntilSomethingClearsIt) {
    m_world.MakeToken("Alpha", Record(1, 1, 65536), "Reader A");
    CTokenInfo token(L"Reader A", {});
    EXPECT_EQ(token.GetTokenRecord().typeText, L"Velkora Pro 64K");

    vkstore::TokenRecordData changed = Record(0, 2, 8192);
    changed.label = "Renamed";
    SetStoredRecord("Alpha", changed);
    const STokenRecord cached = token.GetTokenRecord();
    EXPECT_EQ(cached.typeText, L"Velkora Pro 64K") << "the middleware was asked again";
    EXPECT_EQ(cached.label, L"Alpha");

    token.ClearTokenCaches();
    EXPECT_EQ(token.GetTokenRecord().typeText, L"Velkora Mini 8K");
    EXPECT_EQ(token.GetTokenRecord().label, L"Renamed");
}

TEST_F(TokenInfoTest, AReaderNameDifferingInCaseFindsNoToken) {
    m_world.MakeToken("Alpha", Record(1, 1, 65536), "Reader A");
    m_world.AddContainer("Alpha", "c");
    CTokenInfo other(L"reader a", {});
    const STokenRecord record = other.GetTokenRecord();
    EXPECT_EQ(record.label, L"");
    EXPECT_EQ(record.typeText, L"");
    EXPECT_EQ(record.tokenId, 0u);
    EXPECT_TRUE(other.GetContainers().empty());
    EXPECT_EQ(other.FindContainer(L"c"), nullptr);

    CTokenInfo token(L"Reader A", {});
    EXPECT_EQ(Names(token), std::vector<std::wstring>{L"c"});
    EXPECT_EQ(token.FindContainer(L"C"), nullptr);
}

TEST_F(TokenInfoTest, LoginStateIsCachedUntilReset) {
    m_world.MakeToken("Alpha", {}, "Reader A");
    CTokenInfo token(L"Reader A", {});
    EXPECT_EQ(token.GetLoginState(), 1u);
    m_world.Login("Reader A");
    EXPECT_EQ(token.GetLoginState(), 1u) << "cached";
    token.GetTokenRecord();
    EXPECT_EQ(token.GetLoginState(), 1u);
    token.ResetLoginState();
    EXPECT_EQ(token.GetLoginState(), 2u);
}

TEST_F(TokenInfoTest, DeletingOneContainerKeepsTheOthersAndTheirOpenKeys) {
    m_world.MakeToken("Alpha", {}, "Reader A");
    m_world.AddContainer("Alpha", "first", {1, 2});
    m_world.AddContainer("Alpha", "second", {1});
    m_world.AddContainer("Alpha", "third", {2}, {{"CN", "Third"}}, true);
    CTokenInfo token(L"Reader A", {});
    ASSERT_EQ(Names(token), (std::vector<std::wstring>{L"first", L"second", L"third"}));
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
    // Changed behind the object's back: seen only once the deletion clears the caches.
    auto entry = m_world.World().FindToken("Alpha");
    {
        vkstore::TokenStore store(m_world.World().TokenFile(entry->uuid));
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

    // A failed deletion changes nothing.
    EXPECT_THROW(token.DeleteContainer(L"second"), SVKCERT::SEXCPT::CCertException);
    EXPECT_EQ(token.FindContainer(L"first"), first);
}

TEST_F(TokenInfoTest, DefaultContainerIsForgottenBeforeSettingAndOtherErrorsPassOn) {
    m_world.MakeToken("Alpha", {}, "Reader A");
    m_world.AddContainer("Alpha", "one");
    m_world.AddContainer("Alpha", "two");
    CTokenInfo token(L"Reader A", {});
    EXPECT_EQ(token.GetDefaultContainer(), L"") << "none";
    EXPECT_THROW(token.SetDefaultContainer(L"two", true), SVKCERT::SEXCPT::CCertException)
        << "not logged in";
    m_world.Login("Reader A");
    token.SetDefaultContainer(L"two", true);
    EXPECT_EQ(token.GetDefaultContainer(), L"two");
    EXPECT_TRUE(token.FindContainer(L"two")->IsDefault());
    token.SetDefaultContainer(L"two", false);
    EXPECT_EQ(token.GetDefaultContainer(), L"");

    // A token gone from its reader is no "none": the failure passes on and is tried again.
    CTokenInfo empty(L"Reader A", {});
    m_world.World().Remove("Reader A");
    EXPECT_THROW(empty.GetDefaultContainer(), SVKCERT::SEXCPT::CCertException);
    m_world.World().Insert("Reader A", "Alpha");
    EXPECT_EQ(empty.GetDefaultContainer(), L"");
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

    // A certificate assigned meanwhile is read again only after clearing.
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
