// Keyboard focus and the list split across views: the focus reaching a view
// goes on to its list (selecting the first row) or to its detail box, as the
// list widget last had it; Tab goes from the list to the box and from the box
// on to the tree through the frame. A bar dragged in one view opens the next
// view of any kind with the same split, through the frame's record, and only
// while the frame is there.
#include <QPlainTextEdit>

#include "ViewTestSupport.h"
#include "support/TempWorld.h"
#include "ui/views/CCertificateViewEx.h"
#include "ui/views/CKeyViewEx.h"
#include "ui/views/CTokenInfoViewEx.h"
#include "widgets/CEdit_Ex.h"
#include "widgets/CListWithEditEx.h"
#include "widgets/CSimpleSplitResendingNotifications.h"

namespace {

using viewtest::MakeView;
using viewtest::Pane;
using viewtest::SendKey;
using viewtest::UseLanguage;

class FocusAndSplit : public testing::Test {
protected:
    void SetUp() override {
        UseLanguage(1024);
        tree = new QWidget(&pane.host);
        tree->setFocusPolicy(Qt::StrongFocus);
        tree->setGeometry(0, 0, 10, 10);
        tree->show();
        pane.host.activateWindow();
        QApplication::processEvents();
    }

    CKeyViewEx* KeyView(CFrameFacadePtr facade) {
        auto* view = MakeView<CKeyViewEx>(ERightViewKind::Key, pane.host, std::move(facade));
        if (view != nullptr) {
            view->AsKey()->FillKeyLength(2048);
            view->AsKey()->FillPermissions(0x3B);
        }
        return view;
    }

    // Drags the bar between list and box `by` pixels (negative: up).
    static void DragBar(CListWithEdit* widget, int by) {
        CSimpleSplitter* splitter = widget->Splitter();
        const int bar = splitter->Layout().Positions()[1] - 2;
        const QPoint from(splitter->width() / 2, bar);
        const QPoint to(from.x(), bar + by);
        SendMouse(splitter, QEvent::MouseButtonPress, from);
        SendMouse(splitter, QEvent::MouseMove, to);
        SendMouse(splitter, QEvent::MouseButtonRelease, to);
    }

    static void SendMouse(QWidget* target, QEvent::Type type, QPoint at) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent e(type, QPointF(at), target->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }

    vktest::TempWorld world;
    Pane pane;
    QWidget* tree = nullptr;  // stands for the tree pane
};

TEST_F(FocusAndSplit, FocusGoesToTheListWithItsFirstRowThenTabGoesToBoxAndTree) {
    viewtest::Frame frame;
    auto* view = KeyView(frame.facade);
    ASSERT_NE(view, nullptr);
    QTreeWidget* list = view->List();
    QPlainTextEdit* box = view->ListWidget()->Edit();
    EXPECT_EQ(list->currentItem(), nullptr);

    view->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(pane.host.focusWidget(), list);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_EQ(box->toPlainText(), "2048");

    EXPECT_TRUE(SendKey(list, Qt::Key_Tab));
    EXPECT_EQ(pane.host.focusWidget(), box);
    EXPECT_EQ(frame.frame.activations, 0);

    EXPECT_TRUE(SendKey(box, Qt::Key_Tab));
    EXPECT_EQ(frame.frame.activations, 1);
    EXPECT_TRUE(view->ListWidget()->GetFocusFlag());
}

TEST_F(FocusAndSplit, FocusReturnsToTheBoxWhenTheBoxHadItLast) {
    viewtest::Frame frame;
    auto* view = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host, frame.facade);
    ASSERT_NE(view, nullptr);
    view->AsTokenInfo()->FillTokenRecord(viewtest::DemoProRecord());
    view->List()->setCurrentItem(view->List()->topLevelItem(3));
    view->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(SendKey(view->List(), Qt::Key_Tab));
    tree->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(pane.host.focusWidget(), tree);

    view->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(pane.host.focusWidget(), view->ListWidget()->Edit());
    // The selection the user made stays.
    EXPECT_EQ(view->List()->currentItem(), view->List()->topLevelItem(3));
    EXPECT_EQ(view->ListWidget()->Edit()->toPlainText(), "3.1");
}

TEST_F(FocusAndSplit, TabWithoutAFrameStaysInTheView) {
    auto* view = KeyView(nullptr);
    ASSERT_NE(view, nullptr);
    view->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(SendKey(view->List(), Qt::Key_Tab));
    EXPECT_TRUE(SendKey(view->ListWidget()->Edit(), Qt::Key_Tab));
    EXPECT_EQ(pane.host.focusWidget(), view->List());
}

TEST_F(FocusAndSplit, DraggedSplitOpensTheNextViewOfAnyKind) {
    viewtest::Frame frame;
    auto* key = KeyView(frame.facade);
    ASSERT_NE(key, nullptr);
    const std::vector<std::int32_t> fresh = key->ListWidget()->Splitter()->GetProportions();
    EXPECT_EQ(fresh, (std::vector<std::int32_t>{29127, 3641}));
    DragBar(key->ListWidget(), -120);
    const std::vector<std::int32_t> dragged = key->ListWidget()->Splitter()->GetProportions();
    ASSERT_NE(dragged, fresh);
    const int boxHeight = key->ListWidget()->Edit()->height();
    EXPECT_FALSE(frame.frame.split.valid);

    delete key;
    ASSERT_TRUE(frame.frame.split.valid);
    EXPECT_EQ(frame.frame.split.first, dragged[0]);
    EXPECT_EQ(frame.frame.split.second, dragged[1]);

    auto* certificate =
        MakeView<CCertificateViewEx>(ERightViewKind::Certificate, pane.host, frame.facade);
    ASSERT_NE(certificate, nullptr);
    EXPECT_EQ(certificate->ListWidget()->Splitter()->GetProportions(), dragged);
    EXPECT_EQ(certificate->ListWidget()->Edit()->height(), boxHeight);
    delete certificate;

    auto* token = MakeView<CTokenInfoViewEx>(ERightViewKind::TokenInfo, pane.host, frame.facade);
    ASSERT_NE(token, nullptr);
    EXPECT_EQ(token->ListWidget()->Splitter()->GetProportions(), dragged);
}

TEST_F(FocusAndSplit, WithoutAFrameNoSplitIsKeptOrRead) {
    viewtest::Frame frame;
    auto* key = KeyView(nullptr);
    ASSERT_NE(key, nullptr);
    DragBar(key->ListWidget(), -120);
    delete key;
    EXPECT_FALSE(frame.frame.split.valid);

    // A record the frame holds is not read by a view made without the frame.
    frame.frame.split = {1000, 31768, true};
    auto* next = KeyView(nullptr);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->ListWidget()->Splitter()->GetProportions(),
              (std::vector<std::int32_t>{29127, 3641}));
}

TEST_F(FocusAndSplit, ViewOutlivingItsFrameWritesNoSplit) {
    viewtest::Frame frame;
    auto* key = KeyView(frame.facade);
    ASSERT_NE(key, nullptr);
    DragBar(key->ListWidget(), -120);
    // The frame goes first: its facade answers nothing from now on.
    frame.facade->Detach();
    delete key;
    EXPECT_FALSE(frame.frame.split.valid);
}

}  // namespace
