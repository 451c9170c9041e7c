// The certificate tree over a virtual token world: lazy loading in the middleware's reader
// order, lookups by name, Reset, and Resynchronise keeping the objects of readers still there
// (with their order and caches) while dropping gone readers and appending new ones in
// ascending order.
#include <gtest/gtest.h>

#include "TreeWorld.h"
#include "program/token/CTokenInfo.h"

namespace {

class CertTreeTest : public ::testing::Test {
protected:
    std::vector<std::wstring> Readers() {
        std::vector<CTokenInfo*> tokens;
        EXPECT_TRUE(w.tree->GetTokens(tokens));
        std::vector<std::wstring> names;
        for (CTokenInfo* token : tokens) {
            names.push_back(token->GetReaderName());
        }
        return names;
    }

    treetest::TreeWorld w;
};

TEST_F(CertTreeTest, LoadsOnFirstQueryInReaderOrderAndFindsByExactName) {
    w.tokens.AddReader("Reader M");
    w.tokens.AddReader("Reader C");
    w.tokens.MakeToken("Alpha", {}, "Reader C");
    w.tokens.AddContainer("Alpha", "Keys", {1});
    EXPECT_FALSE(w.tree->IsLoaded());
    EXPECT_EQ(Readers(), (std::vector<std::wstring>{L"Reader M", L"Reader C"}));
    EXPECT_TRUE(w.tree->IsLoaded());

    EXPECT_NE(w.tree->FindToken(L"Reader C"), nullptr);
    EXPECT_EQ(w.tree->FindToken(L"reader c"), nullptr) << "names compare exactly";
    EXPECT_NE(w.tree->FindContainer(L"Reader C", L"Keys"), nullptr);
    EXPECT_EQ(w.tree->FindContainer(L"Reader M", L"Keys"), nullptr);
    EXPECT_NE(w.tree->FindKey(L"Reader C", L"Keys", 1), nullptr);
    EXPECT_EQ(w.tree->FindKey(L"Reader C", L"Keys", 2), nullptr);

    // A reader added later is seen only after a reset.
    w.tokens.AddReader("Reader A");
    EXPECT_EQ(w.tree->FindToken(L"Reader A"), nullptr);
    w.tree->Reset();
    EXPECT_FALSE(w.tree->IsLoaded());
    EXPECT_NE(w.tree->FindToken(L"Reader A"), nullptr);
}

TEST_F(CertTreeTest, ResynchroniseKeepsSurvivorsAndAppendsNewReadersInAscendingOrder) {
    for (const char* reader : {"R4", "R2", "R3"}) {
        w.tokens.AddReader(reader);
    }
    w.tokens.MakeToken("Kept", {}, "R3");
    w.tokens.AddContainer("Kept", "Keys", {1});
    ASSERT_EQ(Readers(), (std::vector<std::wstring>{L"R4", L"R2", L"R3"}));
    CTokenInfo* r4 = w.tree->FindToken(L"R4");
    CTokenInfo* r3 = w.tree->FindToken(L"R3");
    ASSERT_EQ(r3->GetContainers().size(), 1u);

    w.tokens.World().DeleteReader("R2");
    w.tokens.AddReader("R9");
    w.tokens.AddReader("R1");
    // Changed behind the cached list: a kept object keeps what it read.
    w.tokens.AddContainer("Kept", "More", {1});
    w.tree->Resynchronise();

    EXPECT_EQ(Readers(), (std::vector<std::wstring>{L"R4", L"R3", L"R1", L"R9"}));
    EXPECT_EQ(w.tree->FindToken(L"R4"), r4);
    EXPECT_EQ(w.tree->FindToken(L"R3"), r3);
    EXPECT_EQ(r3->GetContainers().size(), 1u);
    EXPECT_EQ(w.tree->FindToken(L"R2"), nullptr);
}

TEST_F(CertTreeTest, ResynchroniseOnAnUnloadedTreeLoadsInAscendingOrder) {
    std::vector<STreeItemInfo::ITreeItemInfoPtr> out;
    EXPECT_TRUE(w.Root()->EnumChilds(out));
    EXPECT_TRUE(out.empty()) << "no readers, no tokens";
    w.tree->Reset();
    for (const char* reader : {"Zed", "Alpha", "Mid"}) {
        w.tokens.AddReader(reader);
    }
    w.tree->Resynchronise();
    EXPECT_TRUE(w.tree->IsLoaded());
    EXPECT_EQ(Readers(), (std::vector<std::wstring>{L"Alpha", L"Mid", L"Zed"}));
}

}  // namespace
