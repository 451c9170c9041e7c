// The tree pane's layout: the tree fills the pane from the first show on, whatever size the pane
// had before it was shown, and at every size after; the form around it never scrolls, the tree
// scrolls itself, sideways too when labels are wider than it.
#include <QScrollBar>

#include "TreeViewFixture.h"

namespace treeviewtest {
namespace {

using TreeViewLayout = TreeViewFixture;

TEST_F(TreeViewLayout, TheTreeFillsThePaneAtEverySizeAndScrollsItselfSidewaysForLongLabels) {
    // Sized before it is shown, as a restored splitter sizes it.
    MakeView();
    ASSERT_EQ(view->size(), QSize(480, 600));
    EXPECT_EQ(view->Form()->geometry(), view->viewport()->rect());
    EXPECT_EQ(Tree()->geometry(), view->Form()->rect());
    EXPECT_EQ(Tree()->horizontalScrollBar()->maximum(), 0);

    // Far below the template's size, with keys three levels down.
    Expand(L"Reader B");
    Expand(L"Reader B\\alpha");
    view->resize(100, 80);
    Pump();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0) << "the form scrolls";
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0) << "the form scrolls";
    EXPECT_EQ(view->Form()->geometry(), view->viewport()->rect());
    EXPECT_EQ(Tree()->geometry(), QRect(0, 0, 100, 80));
    EXPECT_GT(Tree()->horizontalScrollBar()->maximum(), 0) << "long labels are cut off";
    EXPECT_GT(Tree()->verticalScrollBar()->maximum(), 0);

    view->resize(640, 700);
    Pump();
    EXPECT_EQ(Tree()->geometry(), QRect(0, 0, 640, 700));
    EXPECT_EQ(Tree()->horizontalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace treeviewtest
