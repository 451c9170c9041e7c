// The nodes over a virtual token world: class names, labels (with "<Unnamed>" and the trailing
// blank), paths, images by key state, bold default containers, keys that cannot be made, and
// the root and the placeholder offering nothing.
// Enumeration, commands and menus have tests of their own.
#include <gtest/gtest.h>

#include "TreeWorld.h"
#include "platform/token/TokenStore.h"
#include "program/token/CCertException.h"
#include "program/tree/CCertificateItemInfo.h"
#include "program/tree/CEmptyItem.h"
#include "program/tree/CTokenItemInfo.h"

using namespace STreeItemInfo;

namespace {

class NodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.tokens.AddReader("Reader A");
        w.tokens.MakeToken("Alpha", {}, "Reader A");
        w.tokens.AddContainer("Alpha", "Keys", {1, 2}, {{"CN", "Alpha Holder"}}, true);
        w.tokens.AddContainer("Alpha", "Bare", {2}, {});
        w.tokens.AddReader("Reader B");
    }

    treetest::TreeWorld w;
};

TEST_F(NodesTest, TokenLabelsKeepTheTrailingBlankAndNameUnnamedTokens) {
    w.tokens.AddReader("Reader C");
    w.tokens.MakeToken("Blank", {}, "Reader C");
    vkstore::TokenStore store(
        w.tokens.World().TokenFile(w.tokens.World().FindToken("Blank")->uuid));
    vkstore::TokenRecordData record = store.Record();
    record.label.clear();
    store.SetRecord(record);

    const auto tokens = w.Children(*w.Root());
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[0]->GetDisplayText(), L"Alpha [Reader A] ");
    EXPECT_EQ(tokens[1]->GetDisplayText(), L"<Unnamed> [Reader B] ") << "a reader without token";
    EXPECT_EQ(tokens[2]->GetDisplayText(), L"<Unnamed> [Reader C] ") << "an empty label";
    EXPECT_EQ(tokens[0]->GetClassName(), "CTokenItemInfo");
    EXPECT_EQ(tokens[0]->GetTokenName(), L"Reader A");
    EXPECT_EQ(tokens[0]->GetPath(), L"Reader A");
    EXPECT_EQ(tokens[0]->GetImage(), IDI_TOKEN);
    EXPECT_EQ(tokens[1]->GetSelectedImage(), IDI_TOKEN);
    EXPECT_TRUE(tokens[1]->HasChilds());
    EXPECT_TRUE(std::dynamic_pointer_cast<CTokenItemInfo>(tokens[0])->IsCardOpen());
    EXPECT_FALSE(std::dynamic_pointer_cast<CTokenItemInfo>(tokens[1])->IsCardOpen());

    // A token that left its reader after the node was made, and an unknown reader.
    w.tokens.World().Remove("Reader A");
    w.tree->Reset();
    EXPECT_EQ(tokens[0]->GetDisplayText(), L"<Unnamed> [Reader A] ");
    EXPECT_EQ(CTokenItemInfo(w.frame.Facade(), L"Nowhere").GetDisplayText(),
              L"<Unnamed> [Nowhere] ");
}

TEST_F(NodesTest, ContainersAndKeysCarryTheirPathsLabelsAndImages) {
    auto keys = w.Node(L"Reader A\\Keys");
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->GetClassName(), "CContainerItemInfo");
    EXPECT_EQ(keys->GetDisplayText(), L"Keys");
    EXPECT_EQ(keys->GetTokenName(), L"Reader A");
    EXPECT_EQ(keys->GetImage(), IDI_CONTAINER);
    EXPECT_TRUE(keys->IsBold()) << "the default container";
    EXPECT_FALSE(w.Node(L"Reader A\\Bare")->IsBold());

    const auto children = w.Children(*keys);
    ASSERT_EQ(w.Paths(children), (std::vector<std::wstring>{L"Reader A\\Keys\\Exchange",
                                                            L"Reader A\\Keys\\Signature"}));
    EXPECT_EQ(children[0]->GetClassName(), "CCertificateItemInfo");
    EXPECT_EQ(children[0]->GetDisplayText(), L"Alpha Holder (Exchange Key, 1024)");
    EXPECT_EQ(children[1]->GetDisplayText(), L"Alpha Holder (Signature Key, 1024)");
    EXPECT_FALSE(children[0]->HasChilds());
    EXPECT_EQ(children[0]->GetImage(), IDI_KEY_CERT);

    auto bare = w.Node(L"Reader A\\Bare\\Signature");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->GetDisplayText(), L"(Signature Key, 1024)") << "no name, no blank";
    EXPECT_EQ(bare->GetImage(), IDI_KEY_NO_CERT);

    // Registered in the user's store: an image of its own.
    auto signature = w.Node(L"Reader A\\Keys\\Signature");
    w.Register(std::dynamic_pointer_cast<CCertificateItemInfo>(signature)->GetCertificate());
    EXPECT_EQ(signature->GetImage(), IDI_KEY_CERT_REGISTERED);
    EXPECT_EQ(signature->GetSelectedImage(), IDI_KEY_CERT_REGISTERED);

    // The token went: the length is undefined and the certificate gone.
    w.tokens.World().Remove("Reader A");
    w.tree->Reset();
    EXPECT_EQ(children[0]->GetDisplayText(), L"(Exchange Key, Length Undefined)");
    EXPECT_EQ(children[0]->GetImage(), IDI_KEY_NO_CERT);
}

TEST_F(NodesTest, KeysOfMissingSpecificationsCannotBeBuiltRootAndPlaceholderOfferNothing) {
    EXPECT_THROW(CCertificateItemInfo(w.frame.Facade(), L"Reader A", L"Bare", 1),
                 SVKCERT::SEXCPT::CCertException);
    EXPECT_THROW(CCertificateItemInfo(w.frame.Facade(), L"Reader B", L"Keys", 2),
                 SVKCERT::SEXCPT::CCertException);
    // A specification other than 1 is named after the signature key.
    EXPECT_EQ(CCertificateItemInfo(w.frame.Facade(), L"Reader A", L"Keys", 2).GetPath(),
              L"Reader A\\Keys\\Signature");

    auto root = w.Root();
    EXPECT_EQ(root->GetPath(), L"");
    EXPECT_TRUE(root->HasChilds());
    EXPECT_FALSE(root->IsEmpty());
    EXPECT_FALSE(root->ShowContextMenu(0, 0));
    EXPECT_FALSE(root->IsCommandEnabled(ID_ACTIONS_IMPORT_CERT));
    CEmptyItem empty;
    std::vector<ITreeItemInfoPtr> none;
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(empty.HasChilds());
    EXPECT_FALSE(empty.EnumChilds(none));
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(empty.ShowContextMenu(1, 1));
}

}  // namespace
