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
        MakeStandardWorld();
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

TEST_F(TreeViewInput, RightClickSelectsTheItemAndTracksItsMenuAtThatScreenPoint) {
    const QModelIndex zeta = IndexOf(L"Reader B\\zeta");
    const QPoint point = OnLabel(zeta);
    RightClick(point);

    EXPECT_EQ(SelectedPath(), L"Reader B\\zeta");
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::Container);
    const auto popups = ui.Popups();
    ASSERT_EQ(popups.size(), 1u);
    const QPoint screen = Tree()->viewport()->mapToGlobal(point);
    EXPECT_EQ(popups[0].x, screen.x());
    EXPECT_EQ(popups[0].y, screen.y());
}

TEST_F(TreeViewInput, RightClickOnBlankSpaceOpensNothingAndKeepsTheSelection) {
    Select(IndexOf(L"Reader B\\alpha"));
    const std::size_t selections = frame.selections.size();

    // Below the last item.
    RightClick(QPoint(30, Tree()->viewport()->height() - 5));
    // Right of a label, on the same row.
    const QRect row = Tree()->visualRect(IndexOf(L"Reader B\\zeta"));
    RightClick(QPoint(Tree()->viewport()->width() - 5, row.center().y()));

    EXPECT_TRUE(ui.Popups().empty());
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha");
    EXPECT_EQ(frame.selections.size(), selections);
}

TEST_F(TreeViewInput, MenuKeyAndShiftF10OpenTheSelectedItemsMenuAtTheItem) {
    Select(IndexOf(L"Reader B\\alpha"));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0),
                              Tree()->viewport()->mapToGlobal(QPoint(0, 0)));
    QCoreApplication::sendEvent(Tree()->viewport(), &menuKey);
    Pump();
    QTest::keyClick(Tree(), Qt::Key_F10, Qt::ShiftModifier);
    Pump();

    const auto popups = ui.Popups();
    ASSERT_EQ(popups.size(), 2u);
    const QRect rect = Tree()->visualRect(IndexOf(L"Reader B\\alpha"));
    const QRect onScreen(Tree()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    for (const auto& popup : popups) {
        EXPECT_TRUE(onScreen.contains(popup.x, popup.y)) << popup.x << "," << popup.y;
    }
    EXPECT_EQ(SelectedPath(), L"Reader B\\alpha");

    // Nothing selected: no menu.
    Tree()->selectionModel()->clearSelection();
    QTest::keyClick(Tree(), Qt::Key_F10, Qt::ShiftModifier);
    Pump();
    EXPECT_EQ(ui.Popups().size(), 2u);
}

TEST_F(TreeViewInput, KeyboardMovesTheSelectionAndTabGoesToTheOtherPane) {
    Tree()->setFocus();
    Select(IndexOf(L"Reader A"));
    QTest::keyClick(Tree(), Qt::Key_Down);
    Pump();
    EXPECT_EQ(SelectedPath(), L"Reader B");
    EXPECT_EQ(frame.selections.back().path, L"Reader B");

    EXPECT_EQ(frame.otherPaneActivations, 0);
    QTest::keyClick(Tree(), Qt::Key_Tab);
    EXPECT_EQ(frame.otherPaneActivations, 1);
    QTest::keyClick(Tree(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(frame.otherPaneActivations, 2);
    EXPECT_EQ(SelectedPath(), L"Reader B") << "Tab does not move within the tree";
}

TEST_F(TreeViewInput, TheTreeControlGrowsWithTheView) {
    EXPECT_EQ(Tree()->objectName(), QStringLiteral("id_1064"));
    const QSize before = Tree()->size();
    view->resize(view->width() + 120, view->height() + 80);
    Pump();
    EXPECT_EQ(Tree()->size(), before + QSize(120, 80));
    EXPECT_EQ(view->focusProxy(), Tree());
}

TEST_F(TreeViewInput, LanguageChangeShowsTheSelectedNodeAgain) {
    Expand(L"Reader B\\alpha");
    Select(IndexOf(L"Reader B\\alpha\\Exchange"));
    const std::size_t views = frame.rightViews.size();

    CLanguageChangedEvent event;
    QCoreApplication::sendEvent(view.get(), &event);
    ASSERT_EQ(frame.rightViews.size(), views + 1);
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::Certificate);
    EXPECT_FALSE(frame.RightView()->certificate.empty());

    // Nothing selected: the default view.
    Tree()->selectionModel()->clearSelection();
    view->OnLanguageChanged();
    EXPECT_EQ(frame.rightViews.back(), ERightViewKind::TokenInfo);
    EXPECT_FALSE(frame.RightView()->tokenRecordFilled);
}

}  // namespace
}  // namespace treeviewtest
