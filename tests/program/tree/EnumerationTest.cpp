// Child enumeration over a virtual token world: the children each node gets and their order, and
// the feedback the frame's acceptors show meanwhile (status texts, cursors, the idle text).
#include <gtest/gtest.h>

#include "TreeWorld.h"
#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CTokenItemInfo.h"

using namespace STreeItemInfo;
using treetest::Log;

namespace {

class EnumerationTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.tokens.AddReader("Reader A");
        w.tokens.MakeToken("Alpha", {}, "Reader A");
        // Made in this order, so the token lists "Zeta" before "Beta".
        w.tokens.AddContainer("Alpha", "Zeta", {1, 2}, {{"CN", "Zed"}});
        w.tokens.AddContainer("Alpha", "Beta", {2, 1}, {{"CN", "Bea"}});
        w.tokens.AddReader("Reader B");
    }

    std::vector<std::wstring> RawPaths(ITreeItemInfo& node) {
        std::vector<ITreeItemInfoPtr> out;
        EXPECT_TRUE(node.EnumChilds(out));
        return w.Paths(out);
    }

    treetest::TreeWorld w;
};

TEST_F(EnumerationTest, ATokenGivesItsContainersOrWithoutThemAllKeysAndAContainerItsKeys) {
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    const auto raw = RawPaths(token);
    const auto sorted = w.Paths(w.Children(token));
    EXPECT_EQ(sorted, (std::vector<std::wstring>{L"Reader A\\Beta", L"Reader A\\Zeta"}));
    EXPECT_NE(raw, sorted) << "the token lists its containers in the provider's order";

    // Flattened: container by container, exchange before signature within each.
    w.frame.showContainers = false;
    const auto keys = RawPaths(token);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0], raw[0] + L"\\Exchange");
    EXPECT_EQ(keys[1], raw[0] + L"\\Signature");
    const auto children = w.Children(token);
    EXPECT_EQ(children[0]->GetClassName(), "CCertificateItemInfo");
    EXPECT_EQ(children[0]->GetDisplayText(), L"Bea (Exchange Key, 1024)");

    // A container leaves out the key it does not have; one not in the token gives nothing.
    w.tokens.AddContainer("Alpha", "Solo", {2}, {});
    w.tree->Reset();
    CContainerItemInfo solo(w.frame.Facade(), L"Reader A", L"Solo");
    EXPECT_EQ(RawPaths(solo), (std::vector<std::wstring>{L"Reader A\\Solo\\Signature"}));
    CContainerItemInfo gone(w.frame.Facade(), L"Reader A", L"No such container");
    EXPECT_TRUE(RawPaths(gone).empty());
}

TEST_F(EnumerationTest, FlatteningNestsEachContainersFeedbackInsideTheTokens) {
    w.tokens.World().Remove("Reader A");
    w.tokens.MakeToken("Gamma", {}, "Reader A");
    w.tokens.AddContainer("Gamma", "Only", {1}, {});
    w.frame.showContainers = false;
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    EXPECT_EQ(RawPaths(token), (std::vector<std::wstring>{L"Reader A\\Only\\Exchange"}));
    EXPECT_EQ(w.frame.events,
              (Log{"enum 1 Reader A", "status Reading token \"Reader A\" containers ... wait",
                   "enum 1 Reader A\\Only",
                   "status Reading certificates from \"Only\" container ... wait",
                   "enum 2 Reader A\\Only", "idle wait", "enum 2 Reader A", "idle arrow"}));
    // The container's acceptor shows its text before its own cursor switch; the token's wait
    // cursor stands throughout and only the token's end puts the arrow back.
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);
    EXPECT_EQ(w.ui.Cursors(), (std::vector<UINT>{IDC_WAIT, IDC_WAIT, IDC_WAIT, IDC_ARROW}));
}

TEST_F(EnumerationTest, GoneUnknownAndEmptyTokensGiveNoChildrenButBothMessages) {
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    w.tokens.World().Remove("Reader A");
    w.tree->Reset();
    EXPECT_TRUE(RawPaths(token).empty());
    CTokenItemInfo unknown(w.frame.Facade(), L"Reader Z");
    EXPECT_TRUE(RawPaths(unknown).empty());
    w.tokens.MakeToken("Empty", {}, "Reader B");
    w.tree->Reset();
    CTokenItemInfo empty(w.frame.Facade(), L"Reader B");
    EXPECT_TRUE(RawPaths(empty).empty());
    Log expected;
    for (const std::string reader : {"Reader A", "Reader Z", "Reader B"}) {
        expected.insert(
            expected.end(),
            {"enum 1 " + reader, "status Reading token \"" + reader + "\" containers ... wait",
             "enum 2 " + reader, "idle arrow"});
    }
    EXPECT_EQ(w.frame.events, expected);
}

TEST_F(EnumerationTest, OtherCodesAndAnEndWithoutItsStartTouchNoCursor) {
    auto* registry = w.frame.AcceptorRegistry();
    CContainerItemInfo container(w.frame.Facade(), L"Reader A", L"Zeta");
    registry->Dispatch({3, &container});
    registry->Dispatch({0, &container});
    registry->Dispatch({2, &container});  // clears the status text, leaves the cursor
    EXPECT_EQ(w.frame.events, (Log{"idle arrow"}));
    EXPECT_TRUE(w.ui.Cursors().empty());
    // Two starts of one node: each end puts back what its own start replaced.
    registry->Dispatch({1, &container});
    registry->Dispatch({1, &container});
    registry->Dispatch({2, &container});
    EXPECT_EQ(w.ui.Cursor(), IDC_WAIT);
    registry->Dispatch({2, &container});
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);
}

TEST_F(EnumerationTest, WithoutAFrameNodesEnumerateSilentlyAndTheRootShowsTheTokenListText) {
    for (const CFrameFacadePtr& facade : {std::make_shared<CFrameFacade>(), CFrameFacadePtr()}) {
        CTokenItemInfo token(facade, L"Reader A");
        EXPECT_EQ(RawPaths(token).size(), 4u)
            << "no frame: the show-containers choice reads as off";
    }
    EXPECT_TRUE(w.frame.events.empty());
    EXPECT_TRUE(w.ui.Cursors().empty());

    EXPECT_EQ(RawPaths(*w.Root()), (std::vector<std::wstring>{L"Reader A", L"Reader B"}));
    EXPECT_EQ(w.frame.events,
              (Log{"enum 1 ", "status Updating Velkoras list ... wait", "enum 2 ", "idle arrow"}));
}

}  // namespace
