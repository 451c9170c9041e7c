// The tree view following changes: container operations announced on the hub (deletion, the
// default mark) and the token level update; the default right pane once the tree is empty.
// Tokens taken out and swapped, through the token change tracker. Refresh, "Show Containers" and
// device changes from another process are tested with the main window, which drives them.
#include <QIcon>

#include "TreeViewFixture.h"
#include "program/tree/CEmptyItem.h"
#include "program/tree/CTokenChangeTracker.h"
#include "res/resource.h"

namespace treeviewtest {
namespace {

using Paths = std::vector<std::wstring>;

class TreeViewSync : public TreeViewFixture {
protected:
    void SetUp() override {
        TreeViewFixture::SetUp();
        MakeView();
    }
};

TEST_F(TreeViewSync, TheDefaultMarkMovesWithItsBoldStateAndADeletedContainerGoes) {
    world.Login("Reader B");
    certTree->Reset();
    Expand(L"Reader B");
    ASSERT_TRUE(IsBold(IndexOf(L"Reader B\\alpha")));
    Select(IndexOf(L"Reader B\\zeta"));
    view->SelectedNode()->OnCommand(ID_ACTIONS_SET_DEFAULT);
    Pump();
    EXPECT_TRUE(IsBold(IndexOf(L"Reader B\\zeta")));
    EXPECT_FALSE(IsBold(IndexOf(L"Reader B\\alpha")));
    EXPECT_EQ(SelectedPath(), L"Reader B\\zeta");

    frame.events.clear();
    ui.SetNextAnswer(IDYES);
    view->SelectedNode()->OnCommand(ID_ACTIONS_DELETE_CONTAINER);
    EXPECT_EQ(ui.Cursor(), IDC_ARROW) << "the arrow is back after the operation";
    Pump();
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")), (Paths{L"Reader B\\Mid", L"Reader B\\alpha"}));
    EXPECT_NE(SelectedPath(), L"Reader B\\zeta");
    const Log texts = frame.Only({"status", "idle"});
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "status Removing \"zeta\" container... wait");
    EXPECT_TRUE(texts.back().starts_with("idle")) << "the idle text after the end";
}

TEST_F(TreeViewSync, OperationMessagesShowTheirTextsAndUpdatesSynchroniseTheirTokenOnly) {
    Expand(L"Reader B");
    const NodePtr zeta = NodeAt(IndexOf(L"Reader B\\zeta"));
    frame.events.clear();
    frame.Hub().containerItemInfo.Send({zeta.get(), 3});
    EXPECT_EQ(ui.Cursor(), IDC_WAIT);
    frame.Hub().containerItemInfo.Send({zeta.get(), 5});
    frame.Hub().containerItemInfo.Send({zeta.get(), 6});
    EXPECT_EQ(ui.Cursor(), IDC_ARROW);
    EXPECT_EQ(frame.Only({"status", "idle"}),
              (Log{"status Performing default container characteristic assignment operation ... "
                   "arrow",
                   "status Performing default container characteristic removal operation ... wait",
                   "idle wait"}));
    EXPECT_EQ(frame.Enumerations("Reader B"), 0) << "the synchronisation is posted";
    Pump();
    EXPECT_EQ(frame.Enumerations("Reader B"), 1);

    // A container that is not in the tree only clears the status; unknown codes do nothing.
    const auto stranger = std::make_shared<STreeItemInfo::CEmptyItem>();
    frame.events.clear();
    frame.Hub().containerItemInfo.Send({stranger.get(), 4});
    frame.Hub().containerItemInfo.Send({zeta.get(), 7});
    Pump();
    EXPECT_EQ(frame.Only({"status", "idle", "enum"}), Log{"idle arrow"});

    // A token level update synchronises that token only.
    Expand(L"Reader A");
    const int beforeA = frame.Enumerations("Reader A");
    const int beforeB = frame.Enumerations("Reader B");
    world.AddContainer("Beta Token", "Yankee", {1});
    SVKCERTTREE::CCertTreePtr()->Reset();

    frame.Hub().tokenLevelUpdateNeeded.Send({L"Reader B"});
    Pump();
    EXPECT_EQ(frame.Enumerations("Reader B"), beforeB + 1);
    EXPECT_EQ(frame.Enumerations("Reader A"), beforeA);
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")).back(), L"Reader B\\zeta");
    EXPECT_TRUE(IndexOf(L"Reader B\\Yankee").isValid());

    // The reader name must match exactly.
    frame.Hub().tokenLevelUpdateNeeded.Send({L"reader b"});
    frame.Hub().tokenLevelUpdateNeeded.Send({L"Reader"});
    Pump();
    EXPECT_EQ(frame.Enumerations("Reader B"), beforeB + 1);
}

TEST_F(TreeViewSync, AnEmptiedTreeGivesTheRightPaneItsDefaultView) {
    Expand(L"Reader B");
    Select(IndexOf(L"Reader B\\alpha"));
    const auto readersGo = [this](std::initializer_list<const char*> readers) {
        for (const char* reader : readers) {
            world.World().DeleteReader(reader);
        }
        certTree->Reset();
        frame.SynchroniseChildren(nullptr);
        frame.events.clear();
        Pump();
    };

    // Items deleted from a tree that keeps others: the right pane stays.
    readersGo({"Reader C"});
    EXPECT_TRUE(frame.Only({"view"}).empty());
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha");

    readersGo({"Reader A", "Reader B"});
    EXPECT_EQ(Model()->rowCount(), 0);
    EXPECT_EQ(view->SelectedNode(), nullptr);
    EXPECT_EQ(frame.Only({"view", "fill"}), Log{"view token"}) << "the default view, unfilled";
}

TEST_F(TreeViewSync, TokensOutAndSwappedMoveTheSelectionToTheirReaderAndShowItAgain) {
    STreeItemInfo::CTokenChangeTracker tracker;
    tracker.Note();
    Expand(L"Reader B");
    Expand(L"Reader B\\alpha");
    Select(IndexOf(L"Reader B\\alpha\\Exchange"));
    ASSERT_EQ(SelectedPath(), L"Reader B\\alpha\\Exchange");

    // Taken out: found by its identity, no reader named.
    world.World().Remove("Reader B");
    ASSERT_TRUE(tracker.ChangedSinceNoted());
    frame.events.clear();
    tracker.OnDevicesChanged(*view, {});
    Pump();
    EXPECT_EQ(SelectedPath(), L"Reader B");
    EXPECT_TRUE(ChildPaths(IndexOf(L"Reader B")).empty());
    EXPECT_EQ(frame.Only({"view"}).back(), "view token");
    EXPECT_FALSE(tracker.ChangedSinceNoted());

    // Another token in the same reader, the reader still selected: shown again.
    world.World().Remove("Reader A");
    world.World().Insert("Reader B", "Alpha Token");
    frame.events.clear();
    tracker.OnDevicesChanged(*view, {});
    Pump();
    EXPECT_EQ(SelectedPath(), L"Reader B");
    EXPECT_EQ(frame.Only({"view", "fill token"}), (Log{"view token", "fill token Alpha Token"}));

    // A change elsewhere leaves the pane alone.
    world.World().DeleteReader("Reader C");
    frame.events.clear();
    tracker.OnDevicesChanged(*view, {});
    Pump();
    EXPECT_TRUE(frame.Only({"view"}).empty());
}

}  // namespace
}  // namespace treeviewtest
