// The tree view filling itself from real nodes over a virtual token world: the first filling
// of the top level, opening levels, labels, icons and the bold default container from the
// nodes, the order of children, re-enumeration on collapse, and what a selection tells the
// frame and the right pane. Synchronisation after changes, context menus, keys and the
// language are in the other files.
#include <QIcon>

#include "TreeViewFixture.h"
#include "res/resource.h"

namespace treeviewtest {
namespace {

using Paths = std::vector<std::wstring>;

using TreeViewFill = TreeViewFixture;

TEST_F(TreeViewFill, TopLevelListsReadersByNameUnopenedAndSelectsTheFirst) {
    MakeView(false);
    EXPECT_EQ(Model()->rowCount(), 0) << "the tree stays empty until the frame asks";
    EXPECT_EQ(view->SelectedNode(), nullptr);

    frame.SynchroniseChildren(nullptr);
    Pump();

    EXPECT_EQ(ChildPaths(), (Paths{L"Reader A", L"Reader B", L"Reader C"}));
    for (const std::wstring reader : {L"Reader A", L"Reader B", L"Reader C"}) {
        EXPECT_EQ(ChildPaths(IndexOf(reader)), Paths{L"<placeholder>"});
        EXPECT_FALSE(Tree()->isExpanded(IndexOf(reader)));
    }
    EXPECT_EQ(frame.Enumerations("Reader A") + frame.Enumerations("Reader B"), 0)
        << "no token is read before it is opened";
    EXPECT_EQ(SelectedPath(), L"Reader A");
    EXPECT_EQ(frame.Only({"selected", "deselected", "view", "fill"}),
              (Log{"view token", "fill token Alpha Token", "selected Reader A"}));

    // A second synchronisation keeps the same items and does not move the selection.
    const NodePtr before = NodeAt(IndexOf(L"Reader B"));
    Select(IndexOf(L"Reader B"));
    frame.SynchroniseChildren(nullptr);
    Pump();
    EXPECT_EQ(NodeAt(IndexOf(L"Reader B")), before);
    EXPECT_EQ(SelectedPath(), L"Reader B");
}

TEST_F(TreeViewFill, OpenedLevelsAreSortedShowTheNodesAreReEnumeratedAndSelectionsTellTheFrame) {
    MakeView();
    Expand(L"Reader B");
    // Upper case before lower case: "Mid" < "alpha" < "zeta".
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")),
              (Paths{L"Reader B\\Mid", L"Reader B\\alpha", L"Reader B\\zeta"}));
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B\\alpha")), Paths{L"<placeholder>"});
    EXPECT_EQ(frame.Enumerations("Reader B\\alpha"), 0);
    Expand(L"Reader B\\alpha");
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B\\alpha")),
              (Paths{L"Reader B\\alpha\\Exchange", L"Reader B\\alpha\\Signature"}));
    Expand(L"Reader C");
    EXPECT_TRUE(ChildPaths(IndexOf(L"Reader C")).empty()) << "an empty reader opens to nothing";

    // Labels, icons and the bold default container come from the nodes.
    Expand(L"Reader B\\Mid");
    EXPECT_EQ(Label(IndexOf(L"Reader C")), L"<Unnamed> [Reader C] ");
    EXPECT_EQ(Label(IndexOf(L"Reader B\\alpha\\Exchange")), L"Alice (Exchange Key, 1024)");
    const auto iconKey = [this](const std::wstring& path) {
        return Model()->data(IndexOf(path), Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    const STreeItemInfo::View::CTreeImageList& images = Model()->Images();
    EXPECT_EQ(iconKey(L"Reader A"), images.IconOf(IDI_TOKEN).cacheKey());
    EXPECT_EQ(iconKey(L"Reader B\\alpha\\Exchange"), images.IconOf(IDI_KEY_CERT).cacheKey());
    EXPECT_EQ(iconKey(L"Reader B\\Mid\\Exchange"), images.IconOf(IDI_KEY_NO_CERT).cacheKey());
    EXPECT_TRUE(IsBold(IndexOf(L"Reader B\\alpha"))) << "the default container";
    EXPECT_FALSE(IsBold(IndexOf(L"Reader B\\zeta")));

    EXPECT_EQ(frame.Enumerations("Reader B"), 1);
    const NodePtr alpha = NodeAt(IndexOf(L"Reader B\\alpha"));
    Tree()->collapse(IndexOf(L"Reader B"));
    Pump();
    EXPECT_EQ(frame.Enumerations("Reader B"), 2) << "a collapse enumerates again, once";
    EXPECT_EQ(NodeAt(IndexOf(L"Reader B\\alpha")), alpha) << "the kept item keeps its node";
    Tree()->expand(IndexOf(L"Reader B"));
    Pump();
    EXPECT_EQ(frame.Enumerations("Reader B"), 3);
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")).size(), 3u) << "nothing doubled by the merges";

    // A selection shows the node and tells the frame the old and the new.
    Expand(L"Reader B\\alpha");
    frame.events.clear();
    Select(IndexOf(L"Reader B\\alpha"));
    Select(IndexOf(L"Reader B\\alpha\\Signature"));
    EXPECT_EQ(frame.Only({"selected", "deselected", "view", "fill"}),
              (Log{"view container", "fill container alpha", "deselected Reader A",
                   "selected Reader B\\alpha", "view certificate", "fill certificate",
                   "deselected Reader B\\alpha", "selected Reader B\\alpha\\Signature"}));
    EXPECT_FALSE(frame.View()->certificate.empty());

    // SelectNode opens the branches above a node and selects it.
    Tree()->collapse(IndexOf(L"Reader B"));
    Pump();
    frame.events.clear();
    frame.SelectNode(NodeAt(IndexOf(L"Reader B\\zeta")).get());
    Pump();
    EXPECT_EQ(SelectedPath(), L"Reader B\\zeta");
    EXPECT_TRUE(Tree()->isExpanded(IndexOf(L"Reader B")));
    EXPECT_EQ(frame.Only({"fill"}), Log{"fill container zeta"});
}

}  // namespace
}  // namespace treeviewtest
