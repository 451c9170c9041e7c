// The tree view answering the user: context menus from a right click, the Menu key and
// Shift+F10 (tracked through the UI seam at the point on the screen), right clicks on blank
// space, Tab handed to the frame, and a language change showing the selected node again.
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QtTest/QTest>

#include "TreeViewFixture.h"
#include "gui/resources/LanguageEvents.h"

namespace treeviewtest {
namespace {

class TreeViewInput : public TreeViewFixture {
protected:
    void SetUp() override {
        TreeViewFixture::SetUp();
        MakeView();
        Expand(L"Reader B");
    }

    // A point on the item's label.
    QPoint OnLabel(const QModelIndex& index) const {
        const QRect rect = Tree()->visualRect(index);
        return QPoint(rect.left() + 24, rect.center().y());
    }

    void RightClick(const QPoint& viewportPos) {
        QWidget* viewport = Tree()->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, viewportPos,
                                viewport->mapToGlobal(viewportPos));
        QCoreApplication::sendEvent(viewport, &event);
        Pump();
    }
};

TEST_F(TreeViewInput, RightClickMenuKeyAndShiftF10TrackTheItemsMenuThereBlankSpaceNothing) {
    Select(IndexOf(L"Reader B\\alpha"));
    frame.events.clear();
    // Below the last item, and right of a label on the same row.
    RightClick(QPoint(30, Tree()->viewport()->height() - 5));
    const QRect row = Tree()->visualRect(IndexOf(L"Reader B\\zeta"));
    RightClick(QPoint(Tree()->viewport()->width() - 5, row.center().y()));
    EXPECT_TRUE(ui.Popups().empty());
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha");
    EXPECT_TRUE(frame.events.empty());

    const QPoint point = OnLabel(IndexOf(L"Reader B\\zeta"));
    RightClick(point);
    EXPECT_EQ(SelectedPath(), L"Reader B\\zeta");
    EXPECT_EQ(frame.Only({"view"}), Log{"view container"});
    const auto popups = ui.Popups();
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(QPoint(popups[0].x, popups[0].y), Tree()->viewport()->mapToGlobal(point));

    // The Menu key and Shift+F10 open the selected item's menu at the item.
    Select(IndexOf(L"Reader B\\alpha"));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0),
                              Tree()->viewport()->mapToGlobal(QPoint(0, 0)));
    QCoreApplication::sendEvent(Tree()->viewport(), &menuKey);
    Pump();
    QTest::keyClick(Tree(), Qt::Key_F10, Qt::ShiftModifier);
    Pump();
    const auto keyed = ui.Popups();
    ASSERT_EQ(keyed.size(), 3u);
    const QRect rect = Tree()->visualRect(IndexOf(L"Reader B\\alpha"));
    const QRect onScreen(Tree()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    for (const auto& popup : {keyed[1], keyed[2]}) {
        EXPECT_TRUE(onScreen.contains(popup.x, popup.y)) << popup.x << "," << popup.y;
    }
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha");

    // Nothing selected: no menu.
    Tree()->selectionModel()->clearSelection();
    QTest::keyClick(Tree(), Qt::Key_F10, Qt::ShiftModifier);
    Pump();
    EXPECT_EQ(ui.Popups().size(), 3u);
}

TEST_F(TreeViewInput, KeysMoveTheSelectionTabGoesToTheOtherPaneALanguageChangeShowsTheNodeAgain) {
    Tree()->setFocus();
    Select(IndexOf(L"Reader A"));
    QTest::keyClick(Tree(), Qt::Key_Down);
    Pump();
    EXPECT_EQ(SelectedPath(), L"Reader B");
    EXPECT_EQ(frame.Only({"selected"}).back(), "selected Reader B");

    frame.events.clear();
    QTest::keyClick(Tree(), Qt::Key_Tab);
    QTest::keyClick(Tree(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(frame.Only({"other pane"}), (Log{"other pane", "other pane"}));
    EXPECT_EQ(SelectedPath(), L"Reader B") << "Tab does not move within the tree";

    // A language change shows the selected node again.
    Expand(L"Reader B\\alpha");
    Select(IndexOf(L"Reader B\\alpha\\Exchange"));
    frame.events.clear();

    CLanguageChangedEvent event;
    QCoreApplication::sendEvent(view.get(), &event);
    // Nothing selected: the default view, unfilled.
    Tree()->selectionModel()->clearSelection();
    view->OnLanguageChanged();
    EXPECT_EQ(frame.Only({"view", "fill"}),
              (Log{"view certificate", "fill certificate", "view token"}));
}

}  // namespace
}  // namespace treeviewtest
