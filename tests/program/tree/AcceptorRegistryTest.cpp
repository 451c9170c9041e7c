// The enumeration feedback machinery by itself: the registry's choice by class name (with the
// run-time check that refuses a node only calling itself a token), messages with other codes or
// ends without a start, and the cursor switch. The feedback of real enumerations is in
// EnumerationTest.
#include <gtest/gtest.h>

#include "TreeWorld.h"
#include "program/tree/CCertificateItemInfo.h"
#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CCursorSwitch.h"
#include "program/tree/CEmptyItem.h"
#include "program/tree/CItemInfoDefault.h"
#include "program/tree/CTokenItemInfo.h"

using namespace STreeItemInfo;
using namespace STreeItemInfo::UI;
using treetest::Log;

namespace {

// A node that calls itself a token but is not one.
class Impostor final : public CItemInfoDefault {
public:
    using CItemInfoDefault::CItemInfoDefault;
    std::string GetClassName() const override { return "CTokenItemInfo"; }
    std::wstring GetTokenName() const override { return L"Reader A"; }
    std::wstring GetDisplayText() override { return L"Impostor"; }
    int GetImage() override { return 0; }
    int GetSelectedImage() override { return 0; }
    bool IsCommandEnabled(UINT) override { return false; }
    bool HasChilds() const override { return false; }
    bool ShowContextMenu(int, int) override { return false; }
    std::wstring GetPath() const override { return L"Reader A"; }
};

class AcceptorRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        w.tokens.AddReader("Reader A");
        w.tokens.MakeToken("Alpha", {}, "Reader A");
        w.tokens.AddContainer("Alpha", "Keys", {1});
        RegisterDefaultCreators(registry);
    }

    treetest::TreeWorld w;
    CEnumChildsMsgAcceptorRegistry registry{w.frame.Facade()};
};

TEST_F(AcceptorRegistryTest, TheRegistryFindsByClassNameAndIgnoresTheRest) {
    CRootItem root(w.frame.Facade());
    CTokenItemInfo token(w.frame.Facade(), L"Reader A");
    CContainerItemInfo container(w.frame.Facade(), L"Reader A", L"Keys");
    EXPECT_EQ(CEnumChildsMsgAcceptorRegistry(w.frame.Facade()).Find(&token), nullptr)
        << "nothing registered";
    for (ITreeItemInfo* node : std::initializer_list<ITreeItemInfo*>{&root, &token, &container}) {
        EXPECT_NE(registry.Find(node), nullptr) << node->GetClassName();
    }

    CCertificateItemInfo key(w.frame.Facade(), L"Reader A", L"Keys", 1);
    CEmptyItem empty;
    Impostor impostor(w.frame.Facade());
    for (ITreeItemInfo* node :
         std::initializer_list<ITreeItemInfo*>{&key, &empty, &impostor, nullptr}) {
        EXPECT_EQ(registry.Find(node), nullptr);
        registry.Dispatch({1, node});
        registry.Dispatch({2, node});
    }
    registry.Dispatch({3, &token});
    registry.Dispatch({0, &token});
    EXPECT_TRUE(w.frame.events.empty());
    EXPECT_TRUE(w.ui.Cursors().empty());
}

TEST_F(AcceptorRegistryTest, AnEndWithoutItsStartClearsTheTextAndLeavesTheCursor) {
    CContainerItemInfo container(w.frame.Facade(), L"Reader A", L"Keys");
    registry.Dispatch({2, &container});
    EXPECT_EQ(w.frame.events, (Log{"idle arrow"}));
    EXPECT_TRUE(w.ui.Cursors().empty());

    // Two starts of one node: each end puts back what its own start replaced.
    registry.Dispatch({1, &container});
    registry.Dispatch({1, &container});
    registry.Dispatch({2, &container});
    EXPECT_EQ(w.ui.Cursor(), IDC_WAIT);
    registry.Dispatch({2, &container});
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);
}

TEST_F(AcceptorRegistryTest, TheCursorSwitchChangesOnlyWhatItMust) {
    {
        CCursorSwitch wait(IDC_WAIT);
        EXPECT_FALSE(wait.Off());
        EXPECT_TRUE(wait.On());
        EXPECT_FALSE(wait.On());
        EXPECT_EQ(w.ui.Cursor(), IDC_WAIT);
        EXPECT_TRUE(wait.Off());
        EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);
        EXPECT_TRUE(wait.On());
    }
    EXPECT_EQ(w.ui.Cursor(), IDC_WAIT) << "without restore on destruction the cursor stays";
    w.ui.SetCursor(IDC_ARROW);
    CCursorSwitch(IDC_WAIT, true).On();
    EXPECT_EQ(w.ui.Cursor(), IDC_ARROW);
}

}  // namespace
