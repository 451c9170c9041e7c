// Keyboard focus and the list split across views: the focus reaching a view goes on to its list
// (selecting the first row) or to its detail box, as the list widget last had it; Tab goes from
// the list to the box and from the box on to the tree through the frame. A bar dragged in one
// view opens the next view of any kind with the same split, through the frame's record, and
// only while there is a frame; a bar dragged up leaves the columns filling the narrowed list. The
// splitter's own arithmetic is the widgets tests'.
#include <QHeaderView>
#include <QScrollBar>
#include "ViewTestSupport.h"
#include "gui/ui/views/CCertificateViewEx.h"
#include "gui/ui/views/CKeyViewEx.h"
#include "gui/ui/views/CTokenInfoViewEx.h"
#include "gui/widgets/CEdit_Ex.h"
#include "support/TempWorld.h"

namespace {

using viewtest::DragBarUp;
using viewtest::MakeView;
using viewtest::SendKey;
using viewtest::Split;
using vktest::Log;

class FocusAndSplit : public testing::Test {
protected:
    void SetUp() override {
        viewtest::UseLanguage(1024);
        tree = new QWidget(&pane.host);
        tree->setFocusPolicy(Qt::StrongFocus);
        tree->setGeometry(0, 0, 10, 10);
        tree->show();
        pane.host.activateWindow();
        QApplication::processEvents();
    }

    CKeyViewEx* KeyView(CFrameFacadePtr facade) {
        auto* view = MakeView<CKeyViewEx>(ERightViewKind::Key, pane.host, std::move(facade));
        view->AsKey()->FillKeyLength(2048);
        view->AsKey()->FillPermissions(0x3B);
        return view;
    }

    vktest::TempWorld world;
    viewtest::Pane pane;
    vktest::FakeFrame frame;
    QWidget* tree = nullptr;  // stands for the tree pane
};

TEST_F(FocusAndSplit, FocusGoesToTheFirstRowOrBackToTheBoxAndTabGoesToTheBoxAndOnToTheTree) {
    auto* view = KeyView(frame.Facade());
    QTreeWidget* list = view->List();
    CEdit_Ex* box = view->ListWidget()->Edit();
    EXPECT_EQ(list->currentItem(), nullptr);

    view->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(pane.host.focusWidget(), list);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_EQ(box->toPlainText(), "2048");

    EXPECT_TRUE(SendKey(list, Qt::Key_Tab));
    EXPECT_EQ(pane.host.focusWidget(), box);
    // The box had it last: the focus coming back goes to the box, the selected row kept.
    list->setCurrentItem(list->topLevelItem(1));
    tree->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(pane.host.focusWidget(), tree);
    view->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(pane.host.focusWidget(), box);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(box->toPlainText(), "3b DECRYPT, ENCRYPT, MAC, READ, WRITE");
    EXPECT_TRUE(frame.events.empty());
    EXPECT_TRUE(SendKey(box, Qt::Key_Tab));
    EXPECT_EQ(frame.events, Log{"other pane"});

    // Without a frame Tab from the box just comes back to the list.
    auto* alone = KeyView(nullptr);
    alone->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(SendKey(alone->List(), Qt::Key_Tab));
    EXPECT_TRUE(SendKey(alone->ListWidget()->Edit(), Qt::Key_Tab));
    EXPECT_EQ(pane.host.focusWidget(), alone->List());
    EXPECT_EQ(frame.events, Log{"other pane"});
}

TEST_F(FocusAndSplit, ADraggedSplitOpensTheNextViewOfAnyKindOnlyThroughAFrame) {
    // Without a frame nothing is kept or read.
    auto* alone = KeyView(nullptr);
    const std::vector<std::int32_t> fresh = Split(alone);
    DragBarUp(alone->ListWidget());
    ASSERT_NE(Split(alone), fresh);
    delete alone;
    EXPECT_FALSE(frame.split.valid);
    frame.split = {1000, 31768, true};
    auto* next = KeyView(nullptr);
    EXPECT_EQ(Split(next), fresh);
    delete next;

    frame.split.valid = false;
    auto* key = KeyView(frame.Facade());
    EXPECT_EQ(Split(key), fresh);
    DragBarUp(key->ListWidget());
    const std::vector<std::int32_t> dragged = Split(key);
    const int boxHeight = key->ListWidget()->Edit()->height();
    EXPECT_FALSE(frame.split.valid);
    delete key;
    ASSERT_TRUE(frame.split.valid);
    EXPECT_EQ((std::vector<std::int32_t>{frame.split.first, frame.split.second}), dragged);
    auto* certificate =
        MakeView<CCertificateViewEx>(ERightViewKind::Certificate, pane.host, frame.Facade());
    EXPECT_EQ(Split(certificate), dragged);
    EXPECT_EQ(certificate->ListWidget()->Edit()->height(), boxHeight);
    delete certificate;
    auto* token = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host, frame.Facade());
    EXPECT_EQ(Split(token), dragged);

    // A view that outlives its frame (the facade detached) writes nothing.
    frame.split.valid = false;
    DragBarUp(token->ListWidget());
    frame.Facade()->Detach();
    delete token;
    EXPECT_FALSE(frame.split.valid);
}

TEST_F(FocusAndSplit, ABarDraggedUpLeavesTheColumnsFillingTheListWithoutAHorizontalBar) {
    auto* view =
        MakeView<CCertificateViewEx>(ERightViewKind::Certificate, pane.host, frame.Facade());
    view->AsCertificate()->FillCertificate(viewtest::Demo2048().certificate);
    QTreeWidget* list = view->List();
    QApplication::processEvents();
    ASSERT_FALSE(list->verticalScrollBar()->isVisible()) << "all rows fit before the drag";
    const int captionShare = list->columnWidth(0) * 100 / list->header()->length();

    const int by = list->height() - 80;
    DragBarUp(view->ListWidget(), by);
    QApplication::processEvents();
    ASSERT_TRUE(list->verticalScrollBar()->isVisible()) << "the rows no longer fit";
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    EXPECT_EQ(list->header()->length(), list->viewport()->width());
    EXPECT_NEAR(list->columnWidth(0) * 100 / list->header()->length(), captionShare, 1);

    // And back down: the columns widen again to the list's full width.
    DragBarUp(view->ListWidget(), -by);
    QApplication::processEvents();
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    EXPECT_EQ(list->header()->length(), list->viewport()->width());
}

}  // namespace
