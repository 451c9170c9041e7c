// The tree view filling itself from real nodes over a virtual token world: the first filling
// of the top level, opening levels, labels, icons and the bold default container from the
// nodes, the order of children, re-enumeration on collapse, and what a selection tells the
// frame and the right pane. Synchronisation after changes, context menus, keys and the
// language are in the other files.
#include <QIcon>

#include "TreeViewFixture.h"
#include "program/tree/TreeImages.h"

namespace treeviewtest {
namespace {

using Paths = std::vector<std::wstring>;

class TreeViewFill : public TreeViewFixture {
protected:
    void SetUp() override {
        TreeViewFixture::SetUp();
        MakeStandardWorld();
    }
};

TEST_F(TreeViewFill, TopLevelListsReadersByNameUnopenedAndSelectsTheFirst) {
    MakeView(false);
    EXPECT_EQ(Model()->rowCount(), 0) << "the tree stays empty until the frame asks";
    EXPECT_EQ(view->SelectedNode(), nullptr);

    frame.SynchroniseChildren(nullptr);
    Pump();

    EXPECT_EQ(ChildPaths(), (Paths{L"Reader A", L"Reader B", L"Reader C"}));
    for (const std::wstring reader : {L"Reader A", L"Reader B", L"Reader C"}) {
        EXPECT_EQ(ChildPaths(IndexOf(reader)), Paths{L"<placeholder>"}) << reader;
        EXPECT_FALSE(Tree()->isExpanded(IndexOf(reader)));
    }
    EXPECT_EQ(frame.EnumerationsOf(L"Reader A") + frame.EnumerationsOf(L"Reader B"), 0)
        << "no token is read before it is opened";

    EXPECT_EQ(SelectedPath(), L"Reader A");
    ASSERT_FALSE(frame.selections.empty());
    EXPECT_EQ(frame.selections.back().path, L"Reader A");
    EXPECT_TRUE(frame.selections.back().selected);
    ASSERT_FALSE(frame.rightViews.empty());
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::TokenInfo);
    ASSERT_NE(frame.RightView(), nullptr);
    EXPECT_TRUE(frame.RightView()->tokenRecordFilled);

    // A second synchronisation keeps the same items and does not move the selection.
    const NodePtr before = NodeAt(IndexOf(L"Reader B"));
    Select(IndexOf(L"Reader B"));
    frame.SynchroniseChildren(nullptr);
    Pump();
    EXPECT_EQ(NodeAt(IndexOf(L"Reader B")), before);
    EXPECT_EQ(SelectedPath(), L"Reader B");
}

TEST_F(TreeViewFill, LabelsIconsAndBoldComeFromTheNodes) {
    MakeView();
    EXPECT_EQ(Label(IndexOf(L"Reader A")), L"Alpha Token [Reader A] ");
    EXPECT_EQ(Label(IndexOf(L"Reader C")), L"<Unnamed> [Reader C] ");
    const STreeItemInfo::View::CTreeImageList& images = Model()->Images();
    const QIcon tokenIcon = Model()->data(IndexOf(L"Reader A"), Qt::DecorationRole).value<QIcon>();
    EXPECT_FALSE(tokenIcon.isNull());
    EXPECT_EQ(tokenIcon.cacheKey(), images.IconOf(STreeItemInfo::kImageToken).cacheKey());

    Expand(L"Reader B");
    EXPECT_EQ(Label(IndexOf(L"Reader B\\alpha")), L"alpha");
    EXPECT_TRUE(IsBold(IndexOf(L"Reader B\\alpha"))) << "the default container";
    EXPECT_FALSE(IsBold(IndexOf(L"Reader B\\zeta")));
    EXPECT_FALSE(IsBold(IndexOf(L"Reader B\\Mid")));

    Expand(L"Reader B\\alpha");
    Expand(L"Reader B\\Mid");
    const QModelIndex withCertificate = IndexOf(L"Reader B\\alpha\\Exchange");
    const QModelIndex withoutCertificate = IndexOf(L"Reader B\\Mid\\Exchange");
    ASSERT_TRUE(withCertificate.isValid());
    ASSERT_TRUE(withoutCertificate.isValid());
    EXPECT_NE(Label(withCertificate).find(L"Alice"), std::wstring::npos) << Label(withCertificate);
    EXPECT_NE(Label(withCertificate).find(L"Exchange Key"), std::wstring::npos);
    EXPECT_EQ(Model()->data(withCertificate, Qt::DecorationRole).value<QIcon>().cacheKey(),
              images.IconOf(STreeItemInfo::kImageKeyWithCertificate).cacheKey());
    EXPECT_EQ(Model()->data(withoutCertificate, Qt::DecorationRole).value<QIcon>().cacheKey(),
              images.IconOf(STreeItemInfo::kImageKeyWithoutCertificate).cacheKey());
    EXPECT_TRUE(ChildPaths(IndexOf(L"Reader B\\alpha\\Exchange")).empty()) << "keys are leaves";
}

TEST_F(TreeViewFill, OpenedLevelsAreSortedByPathCodeUnitByCodeUnit) {
    MakeView();
    Expand(L"Reader B");
    // Upper case before lower case: "Mid" < "alpha" < "zeta".
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")),
              (Paths{L"Reader B\\Mid", L"Reader B\\alpha", L"Reader B\\zeta"}));
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B\\alpha")), Paths{L"<placeholder>"});
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B\\alpha"), 0);

    Expand(L"Reader B\\alpha");
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B\\alpha")),
              (Paths{L"Reader B\\alpha\\Exchange", L"Reader B\\alpha\\Signature"}));

    // An empty reader opens to nothing.
    Expand(L"Reader C");
    EXPECT_TRUE(ChildPaths(IndexOf(L"Reader C")).empty());
}

TEST_F(TreeViewFill, EveryExpandOrCollapseOfAnOpenedLevelEnumeratesItOnce) {
    MakeView();
    Expand(L"Reader B");
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), 1);
    const NodePtr alpha = NodeAt(IndexOf(L"Reader B\\alpha"));

    Tree()->collapse(IndexOf(L"Reader B"));
    Pump();
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), 2) << "a collapse enumerates again, once";
    EXPECT_EQ(NodeAt(IndexOf(L"Reader B\\alpha")), alpha) << "the kept item keeps its node";

    Tree()->expand(IndexOf(L"Reader B"));
    Pump();
    EXPECT_EQ(frame.EnumerationsOf(L"Reader B"), 3);
    EXPECT_EQ(ChildPaths(IndexOf(L"Reader B")).size(), 3u) << "nothing doubled by the merges";
}

TEST_F(TreeViewFill, SelectionShowsTheNodeAndTellsTheFrameOldAndNew) {
    MakeView();
    Expand(L"Reader B");
    Expand(L"Reader B\\alpha");

    frame.selections.clear();
    Select(IndexOf(L"Reader B\\alpha"));
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::Container);
    EXPECT_EQ(frame.RightView()->containerName, std::optional<std::wstring>(L"alpha"));
    ASSERT_EQ(frame.selections.size(), 2u);
    EXPECT_EQ(frame.selections[0].path, L"Reader A");
    EXPECT_FALSE(frame.selections[0].selected);
    EXPECT_EQ(frame.selections[1].path, L"Reader B\\alpha");
    EXPECT_TRUE(frame.selections[1].selected);

    Select(IndexOf(L"Reader B\\alpha\\Signature"));
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::Certificate);
    EXPECT_FALSE(frame.RightView()->certificate.empty());
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha\\Signature");

    // SelectNode opens the branches above a node and selects it.
    Tree()->collapse(IndexOf(L"Reader B"));
    Pump();
    const NodePtr zeta = frame.FindByPath(L"Reader B\\zeta");
    ASSERT_NE(zeta, nullptr);
    frame.SelectNode(zeta.get());
    Pump();
    EXPECT_EQ(SelectedPath(), L"Reader B\\zeta");
    EXPECT_TRUE(Tree()->isExpanded(IndexOf(L"Reader B")));
    EXPECT_EQ(frame.RightView()->containerName, std::optional<std::wstring>(L"zeta"));
}

}  // namespace
}  // namespace treeviewtest
