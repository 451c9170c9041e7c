// The enumeration feedback machinery by itself: the registry's choice by class name, and
// messages with other codes or ends without a start. The feedback of real enumerations, with the
// cursor switches, is in EnumerationTest.
#include <gtest/gtest.h>

#include "TreeWorld.h"
#include "program/tree/CCertificateItemInfo.h"
#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CEmptyItem.h"
#include "program/tree/CTokenItemInfo.h"

using namespace STreeItemInfo;
using namespace STreeItemInfo::UI;
using treetest::Log;

namespace {

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
    for (ITreeItemInfo* node : std::initializer_list<ITreeItemInfo*>{&key, &empty, nullptr}) {
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

}  // namespace
