// The frame's side of the tree: the first filling, device changes made by vktoken in another
// process (before the window watches too), Refresh and "Show Containers". Each is checked on what a
// user sees: the readers in name order, the labels, the subtrees and the selection. The merge
// itself is the tree view's.
#include <gtest/gtest.h>

#include "FrameTestWorld.h"

using namespace frametest;

namespace {

// What each node shows: its path or its label.
template <auto Read = &STreeItemInfo::ITreeItemInfo::GetPath>
std::vector<std::wstring> Paths(const std::vector<NodePtr>& nodes) {
    std::vector<std::wstring> out(nodes.size());
    std::ranges::transform(nodes, out.begin(), [](const NodePtr& n) { return ((*n).*Read)(); });
    return out;
}

std::vector<std::wstring> Labels(const std::vector<NodePtr>& nodes) {
    return Paths<&STreeItemInfo::ITreeItemInfo::GetDisplayText>(nodes);
}

}  // namespace

TEST(FrameTree, TheFirstFillingListsTheReadersAndTokensAndReadersChangedElsewhereAreFollowed) {
    FrameWorld world;
    world.Start();
    EXPECT_EQ(Labels(world.TopLevel()),
              (std::vector<std::wstring>{L"Velkora Pro Demo [" + W(kReader0) + L"] ",
                                         L"Velkora Mini Demo [" + W(kReader1) + L"] ",
                                         L"<Unnamed> [" + W(kReader2) + L"] "}));
    world.Expand(world.Find(W(kReader1)));
    // The Mini token holds no containers; the Pro token's four are shown.
    world.Expand(world.Find(W(kReader0)));
    ASSERT_EQ(world.Children(world.Find(W(kReader0))).size(), 4u);

    ASSERT_EQ(Vktoken({"remove", kReader1}), 0);
    ASSERT_EQ(Vktoken({"insert", kReader2, "Velkora Mini Demo"}), 0);
    const std::wstring expected1 = L"<Unnamed> [" + W(kReader1) + L"] ";
    const std::wstring expected2 = L"Velkora Mini Demo [" + W(kReader2) + L"] ";
    EXPECT_TRUE(SpinUntil([&] {
        const std::vector<std::wstring> labels = Labels(world.TopLevel());
        return labels.size() == 3 && labels[1] == expected1 && labels[2] == expected2;
    })) << QString::fromStdWString(Labels(world.TopLevel())[1]).toStdString();

    // The Pro token is taken out while its containers are open and a key is shown: they go
    // with it, and the reader left behind is selected and shown.
    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Ivanov-2026\\Exchange"));
    ASSERT_EQ(world.Frame().RightViewInterface()->Kind(), ERightViewKind::Certificate);
    ASSERT_EQ(Vktoken({"remove", kReader0}), 0);
    EXPECT_TRUE(SpinUntil([&] { return world.Children(world.Find(W(kReader0))).empty(); }));
    EXPECT_EQ(world.Find(W(kReader0))->GetDisplayText(), L"<Unnamed> [" + W(kReader0) + L"] ");
    EXPECT_FALSE(world.Find(W(kReader0) + L"\\Ivanov-2026"));
    ASSERT_TRUE(world.Frame().SelectedNode());
    EXPECT_EQ(world.Frame().SelectedNode()->GetPath(), W(kReader0));
    EXPECT_EQ(world.Frame().RightViewInterface()->Kind(), ERightViewKind::TokenInfo);
    // No message box was put to the user; the tree is still in reader order.
    EXPECT_EQ(Paths(world.TopLevel()),
              (std::vector<std::wstring>{W(kReader0), W(kReader1), W(kReader2)}));

    // Readers added and deleted elsewhere join and leave in name order.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"remove", kReader2},
          {"delete-reader", kReader2},
          {"add-reader", "Velkora USB Reader 00"},
          {"insert", "Velkora USB Reader 00", "Velkora Mini Demo"}}) {
        ASSERT_EQ(Vktoken(args), 0) << args.front();
    }
    EXPECT_TRUE(SpinUntil([&] {
        return Labels(world.TopLevel()) ==
               std::vector<std::wstring>{L"<Unnamed> [" + W(kReader0) + L"] ",
                                         L"Velkora Mini Demo [Velkora USB Reader 00] ",
                                         L"<Unnamed> [" + W(kReader1) + L"] "};
    }));
}

TEST(FrameTree, ATokenTakenOutBeforeTheWatcherStartsIsStillFollowed) {
    FrameWorld world;
    world.Start(true);
    ASSERT_EQ(world.TopLevel().size(), 3u) << "the first filling ran";
    // The token leaves after the tree has read it and before the store is watched.
    ASSERT_EQ(Vktoken({"remove", kReader1}), 0);
    EXPECT_TRUE(SpinUntil([&] {
        return world.Find(W(kReader1))->GetDisplayText() == L"<Unnamed> [" + W(kReader1) + L"] ";
    }));
}

TEST(FrameTree, ATokenSwappedInItsReaderShowsTheNewTokensContents) {
    FrameWorld world;
    world.Start();
    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Petrova-signing"));
    const std::wstring proId = world.StatusPane(CFrameStatusBar::kTokenIdPane);

    // Out and in again, quicker than one notification: the reader's token changed its
    // identity twice and the tree must not keep the old token's containers.
    ASSERT_EQ(Vktoken({"remove", kReader0}), 0);
    ASSERT_EQ(Vktoken({"remove", kReader1}), 0);
    ASSERT_EQ(Vktoken({"insert", kReader0, "Velkora Mini Demo"}), 0);
    EXPECT_TRUE(SpinUntil([&] {
        return world.Find(W(kReader0))->GetDisplayText() ==
                   L"Velkora Mini Demo [" + W(kReader0) + L"] " &&
               Paths(world.Children(world.Find(W(kReader0)))) ==
                   std::vector<std::wstring>{W(kReader0) + L"\\Mini-exchange"};
    }));
    EXPECT_FALSE(world.Find(W(kReader0) + L"\\Petrova-signing"));
    // The selection falls back to the reader, whose pane shows the new token.
    ASSERT_TRUE(world.Frame().SelectedNode());
    EXPECT_EQ(world.Frame().SelectedNode()->GetPath(), W(kReader0));
    EXPECT_EQ(world.Frame().RightViewInterface()->Kind(), ERightViewKind::TokenInfo);
    const std::wstring miniId = world.StatusPane(CFrameStatusBar::kTokenIdPane);
    EXPECT_FALSE(miniId.empty());
    EXPECT_NE(miniId, proId);
}

TEST(FrameTree, RefreshAndShowContainersKeepOpenBranchesTheirItemsAndTheSelection) {
    FrameWorld world;
    world.Start();
    world.Expand(world.Find(W(kReader1)));
    std::wstring keyPath = W(kReader0) + L"\\Ivanov-2026\\Signature";
    NodePtr key = world.Open(keyPath);
    ASSERT_TRUE(key);
    NodePtr container = world.Find(W(kReader0) + L"\\Ivanov-2026");
    NodePtr token = world.Find(W(kReader0));
    const QModelIndex selectedBefore = world.Tree()->currentIndex();
    ASSERT_EQ(
        Vktoken({"add-container", "Velkora Mini Demo", "Fresh", "--pin", "1111", "--bits", "1024"}),
        0);

    world.Frame().OnCommand(ID_VIEW_REFRESH);

    EXPECT_EQ(
        Paths(world.Children(world.Find(W(kReader1)))),
        (std::vector<std::wstring>{W(kReader1) + L"\\Fresh", W(kReader1) + L"\\Mini-exchange"}));
    // The same items, holding the same nodes, still open, the key still selected.
    EXPECT_EQ(world.Find(W(kReader0)), token);
    EXPECT_EQ(world.Find(W(kReader0) + L"\\Ivanov-2026"), container);
    EXPECT_EQ(world.Find(keyPath), key);
    EXPECT_EQ(world.Frame().SelectedNode(), key);
    EXPECT_TRUE(world.Tree()->isExpanded(selectedBefore.parent()));
    EXPECT_TRUE(world.Tree()->isExpanded(selectedBefore.parent().parent()));

    // "Show Containers" rebuilds the tree and selects the same path again.
    keyPath = W(kReader0) + L"\\Self-signed test\\Exchange";
    ASSERT_TRUE(world.Open(keyPath));
    world.Frame().OnCommand(ID_VIEW_SHOW_CONTAINERS);
    EXPECT_FALSE(world.Frame().ShowContainers());
    // Keys now hang directly under the token, in path order, and the same key is selected.
    const std::vector<NodePtr> flat = world.Children(world.Find(W(kReader0)));
    ASSERT_FALSE(flat.empty());
    for (const NodePtr& node : flat) {
        EXPECT_EQ(node->GetClassName(), "CCertificateItemInfo");
    }
    EXPECT_TRUE(std::ranges::is_sorted(Paths(flat)));
    ASSERT_TRUE(world.Frame().SelectedNode());
    EXPECT_EQ(world.Frame().SelectedNode()->GetPath(), keyPath);

    world.Frame().OnCommand(ID_VIEW_SHOW_CONTAINERS);
    EXPECT_TRUE(world.Frame().ShowContainers());
    EXPECT_EQ(world.Children(world.Find(W(kReader0))).size(), 4u);
    ASSERT_TRUE(world.Frame().SelectedNode());
    EXPECT_EQ(world.Frame().SelectedNode()->GetPath(), keyPath);
}
