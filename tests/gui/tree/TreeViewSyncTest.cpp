// The tree view following changes: a refresh that keeps opened branches, their items and the
// selection; "Show Containers" toggled; readers and tokens changed by vktoken in another process
// while the view runs; container operations announced on the hub (deletion, the default mark)
// and the token level update; the default right pane once the tree is empty.
#include <QIcon>

#include "TreeViewFixture.h"
#include "support/ChildProcess.h"
#include "program/tree/CEmptyItem.h"
#include "program/tree/TreeCommands.h"

namespace treeviewtest {
namespace {

using Paths = std::vector<std::wstring>;

void Vktoken(const std::vector<std::string>& args) {
    std::vector<std::string> argv{VKTOKEN};
    argv.insert(argv.end(), args.begin(), args.end());
    auto child = vktest::ChildProcess::Exec(argv);
    ASSERT_EQ(child.Wait(), 0) << "vktoken " << args.front();
}

class TreeViewSync : public TreeViewFixture {
protected:
    // What the login broadcast makes the frame do: the tokens' login states are read afresh.
    void LogIn(const std::string& reader) {
        world.Login(reader);
        SVKCERTTREE::CCertTreePtr()->Reset();
    }

    void SetUp() override {
        TreeViewFixture::SetUp();
        MakeStandardWorld();
        MakeView();
    }
};

TEST_F(TreeViewSync, RefreshKeepsOpenedBranchesTheirItemsAndTheSelection) {
    Expand(L"Reader B");
    Expand(L"Reader B\\alpha");
    Select(IndexOf(L"Reader B\\alpha\\Signature"));
    const std::weak_ptr<STreeItemInfo::ITreeItemInfo> alpha = NodeAt(IndexOf(L"Reader B\\alpha"));
    const std::weak_ptr<STreeItemInfo::ITreeItemInfo> key =
        NodeAt(IndexOf(L"Reader B\\alpha\\Signature"));
    const int readerAEnumerations = frame.EnumerationsOf(L"Reader A");

    world.AddContainer("Beta Token", "Bravo", {2});
    frame.Refresh();
    Pump();

    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")),
              (Paths{L"Reader B\\Bravo", L"Reader B\\Mid", L"Reader B\\alpha", L"Reader B\\zeta"}));
    EXPECT_TRUE(Tree()->isExpanded(IndexOf(L"Reader B")));
    EXPECT_TRUE(Tree()->isExpanded(IndexOf(L"Reader B\\alpha")));
    EXPECT_FALSE(alpha.expired());
    EXPECT_EQ(NodeAt(IndexOf(L"Reader B\\alpha")), alpha.lock()) << "kept, not replaced";
    EXPECT_EQ(NodeAt(IndexOf(L"Reader B\\alpha\\Signature")), key.lock());
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha\\Signature");
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::Certificate);
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B\\Bravo")), Paths{L"<placeholder>"});
    EXPECT_EQ(frame.EnumerationsOf(L"Reader A"), readerAEnumerations)
        << "a level never opened is not read by a refresh";
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader A")), Paths{L"<placeholder>"});
}

TEST_F(TreeViewSync, ShowContainersToggledRebuildsTheTokenAndReselectsThePath) {
    Expand(L"Reader B");
    Expand(L"Reader B\\alpha");
    Select(IndexOf(L"Reader B\\alpha\\Signature"));

    frame.showContainers = false;
    frame.Refresh();
    Pump();
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")),
              (Paths{L"Reader B\\Mid\\Exchange", L"Reader B\\alpha\\Exchange",
                     L"Reader B\\alpha\\Signature", L"Reader B\\zeta\\Exchange"}));
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha\\Signature");
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::Certificate);

    Select(IndexOf(L"Reader B"));
    frame.showContainers = true;
    frame.Refresh();
    Pump();
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")),
              (Paths{L"Reader B\\Mid", L"Reader B\\alpha", L"Reader B\\zeta"}));
    EXPECT_EQ(SelectedPath(), L"Reader B");
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::TokenInfo);
}

TEST_F(TreeViewSync, ReadersAndTokensChangedByAnotherProcessAreFollowed) {
    Expand(L"Reader B");
    Expand(L"Reader B\\alpha");
    const std::weak_ptr<STreeItemInfo::ITreeItemInfo> alphaKey =
        NodeAt(IndexOf(L"Reader B\\alpha\\Exchange"));
    Select(IndexOf(L"Reader C"));

    Vktoken({"add-reader", "Reader 0"});
    Vktoken({"make-token", "Zero Token", "--pin", "1234"});
    Vktoken({"insert", "Reader 0", "Zero Token"});
    Vktoken({"delete-reader", "Reader B"});
    frame.DeviceChange();
    Pump();

    EXPECT_EQ(ChildPaths(), (Paths{L"Reader 0", L"Reader A", L"Reader C"}));
    EXPECT_EQ(Label(IndexOf(L"Reader 0")), L"Zero Token [Reader 0] ");
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader 0")), Paths{L"<placeholder>"});
    EXPECT_TRUE(alphaKey.expired()) << "the removed reader's subtree is gone with its nodes";
    EXPECT_EQ(SelectedPath(), L"Reader C") << "the selection stays where it was";

    // A token taken out of a reader that stays: its opened levels empty on the next refresh.
    Expand(L"Reader A");
    ASSERT_EQ(ChildPaths(IndexOf(L"Reader A")), Paths{L"Reader A\\one"});
    Vktoken({"remove", "Reader A"});
    frame.DeviceChange();
    frame.Refresh();
    Pump();
    EXPECT_EQ(Label(IndexOf(L"Reader A")), L"<Unnamed> [Reader A] ");
    EXPECT_TRUE(ChildPaths(IndexOf(L"Reader A")).empty());
}

TEST_F(TreeViewSync, DeletingTheSelectedContainerLeavesTheOthers) {
    LogIn("Reader B");
    Expand(L"Reader B");
    Select(IndexOf(L"Reader B\\zeta"));
    ui.SetNextAnswer(IDYES);

    frame.RouteCommand(STreeItemInfo::kCmdDeleteContainer);
    const std::vector<UINT> cursors = ui.Cursors();
    ASSERT_FALSE(cursors.empty());
    EXPECT_EQ(cursors.back(), IDC_ARROW) << "the arrow is back after the operation";
    Pump();

    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")), (Paths{L"Reader B\\Mid", L"Reader B\\alpha"}));
    EXPECT_NE(SelectedPath(), L"Reader B\\zeta");
    bool removingShown = false;
    for (const auto& text : frame.statusMessages) {
        removingShown = removingShown || (text && *text == L"Removing \"zeta\" container...");
    }
    EXPECT_TRUE(removingShown);
    ASSERT_FALSE(frame.statusMessages.empty());
    EXPECT_FALSE(frame.statusMessages.back().has_value()) << "the idle text after the end";
}

TEST_F(TreeViewSync, TheDefaultMarkMovesWithItsBoldState) {
    LogIn("Reader B");
    Expand(L"Reader B");
    ASSERT_TRUE(IsBold(IndexOf(L"Reader B\\alpha")));
    Select(IndexOf(L"Reader B\\zeta"));

    frame.RouteCommand(STreeItemInfo::kCmdSetDefaultContainer);
    Pump();

    EXPECT_TRUE(IsBold(IndexOf(L"Reader B\\zeta")));
    EXPECT_FALSE(IsBold(IndexOf(L"Reader B\\alpha")));
    EXPECT_EQ(SelectedPath(), L"Reader B\\zeta");
}

TEST_F(TreeViewSync, OperationMessagesShowTheirTextsAndSynchroniseTheToken) {
    Expand(L"Reader B");
    const NodePtr zeta = NodeAt(IndexOf(L"Reader B\\zeta"));
    const int before = frame.EnumerationsOf(L"Reader B");

    frame.Hub().containerItemInfo.Send({zeta.get(), 3});
    EXPECT_EQ(frame.statusMessages.back(),
              std::optional<std::wstring>(
                  L"Performing default container characteristic assignment operation ..."));
    EXPECT_EQ(ui.Cursor(), IDC_WAIT);
    frame.Hub().containerItemInfo.Send({zeta.get(), 5});
    EXPECT_EQ(frame.statusMessages.back(),
              std::optional<std::wstring>(
                  L"Performing default container characteristic removal operation ..."));

    frame.Hub().containerItemInfo.Send({zeta.get(), 6});
    EXPECT_FALSE(frame.statusMessages.back().has_value());
    EXPECT_EQ(ui.Cursor(), IDC_ARROW);
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), before) << "the synchronisation is posted";
    Pump();
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), before + 1);

    // A container that is not in the tree only clears the status; unknown codes do nothing.
    const auto stranger = std::make_shared<STreeItemInfo::CEmptyItem>();
    const std::size_t texts = frame.statusMessages.size();
    frame.Hub().containerItemInfo.Send({stranger.get(), 4});
    frame.Hub().containerItemInfo.Send({zeta.get(), 7});
    Pump();
    EXPECT_EQ(frame.statusMessages.size(), texts + 1);
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), before + 1);
}

TEST_F(TreeViewSync, TokenLevelUpdateSynchronisesThatTokenOnly) {
    Expand(L"Reader B");
    Expand(L"Reader A");
    const int beforeA = frame.EnumerationsOf(L"Reader A");
    const int beforeB = frame.EnumerationsOf(L"Reader B");
    world.AddContainer("Beta Token", "Yankee", {1});
    SVKCERTTREE::CCertTreePtr()->Reset();

    frame.Hub().tokenLevelUpdateNeeded.Send({L"Reader B"});
    Pump();
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), beforeB + 1);
    EXPECT_EQ(frame.EnumerationsOf(L"Reader A"), beforeA);
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")).back(), L"Reader B\\zeta");
    EXPECT_TRUE(IndexOf(L"Reader B\\Yankee").isValid());

    // The reader name must match exactly.
    frame.Hub().tokenLevelUpdateNeeded.Send({L"reader b"});
    frame.Hub().tokenLevelUpdateNeeded.Send({L"Reader"});
    Pump();
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), beforeB + 1);
}

TEST_F(TreeViewSync, AnEmptiedTreeGivesTheRightPaneItsDefaultView) {
    Expand(L"Reader B");
    Select(IndexOf(L"Reader B\\alpha"));
    ASSERT_EQ(frame.rightViews.back(), ERightViewKind::Container);

    // Items deleted from a tree that keeps others: the right pane stays.
    Vktoken({"delete-reader", "Reader C"});
    frame.DeviceChange();
    frame.rightViews.clear();
    Pump();
    EXPECT_TRUE(frame.rightViews.empty());
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha");

    Vktoken({"delete-reader", "Reader A"});
    Vktoken({"delete-reader", "Reader B"});
    frame.DeviceChange();
    EXPECT_EQ(Model()->rowCount(), 0);
    EXPECT_EQ(view->SelectedNode(), nullptr);
    frame.rightViews.clear();
    Pump();
    EXPECT_EQ(frame.rightViews, std::vector<ERightViewKind>{ERightViewKind::TokenInfo});
    EXPECT_FALSE(frame.RightView()->tokenRecordFilled) << "the default view, not a token's";
}

}  // namespace
}  // namespace treeviewtest
