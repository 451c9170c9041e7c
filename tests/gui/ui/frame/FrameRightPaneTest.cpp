// The right pane from the window's first showing on: the pane the window opens with shows the
// first reader's token once the tree selects it, as a pane made for it would; any later request
// gets a pane made afresh, with the list split last dragged, and so does the first request after
// a language switch.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>

#include "../views/ViewTestSupport.h"
#include "FrameTestWorld.h"
#include "program/ui/IRightView.h"

using namespace frametest;

namespace {

// The texts of the pane's labels, where its header shows the token's label or "no token".
QString PaneText(QWidget* pane) {
    QStringList texts;
    for (QLabel* label : pane != nullptr ? pane->findChildren<QLabel*>() : QList<QLabel*>()) {
        texts << label->text();
    }
    return texts.join(QLatin1Char('\n'));
}

// The list/detail split of the list view the right pane shows.
std::vector<std::int32_t> ListSplit(CMainFrame& frame) {
    return viewtest::Split(&dynamic_cast<CListPropertyView&>(*frame.RightView()));
}

}  // namespace

TEST(FrameRightPane, TheOpeningPaneShowsTheFirstTokenLaterOnesAreFreshAndTakeADraggedListSplit) {
    FrameWorld world;
    StorePanes(250, 500, 180);
    CMainFrame& frame = world.Start();
    ASSERT_TRUE(SpinUntil([&] { return frame.SelectedNode() != nullptr; }));
    EXPECT_EQ(frame.SelectedNode()->GetPath(), W(kReader0));
    ASSERT_NE(frame.RightViewInterface(), nullptr);
    EXPECT_EQ(frame.RightViewInterface()->Kind(), ERightViewKind::TokenInfo);
    const QPointer<QWidget> opening = frame.RightView();
    ASSERT_FALSE(opening.isNull());
    EXPECT_TRUE(opening->isVisible());
    EXPECT_TRUE(PaneText(opening).contains(QStringLiteral("Velkora Pro Demo")))
        << PaneText(opening).toStdString();
    // A pane shown for a node carries no stored least width, the opening one included.
    const int openingMinWidth = opening->minimumWidth();

    ASSERT_TRUE(world.Open(W(kReader1)));
    QWidget* second = frame.RightView();
    EXPECT_NE(second, opening.data());
    EXPECT_TRUE(PaneText(second).contains(QStringLiteral("Velkora Mini Demo")));
    EXPECT_FALSE(PaneText(second).contains(QStringLiteral("Velkora Pro Demo")));
    EXPECT_EQ(second->minimumWidth(), openingMinWidth);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(opening.isNull()) << "the replaced pane stays";

    // Back to the first token: a pane made afresh again, not one kept from before.
    ASSERT_TRUE(world.Open(W(kReader0)));
    EXPECT_NE(frame.RightView(), second);
    EXPECT_TRUE(PaneText(frame.RightView()).contains(QStringLiteral("Velkora Pro Demo")));

    // A list split dragged in one pane reaches the next ones.
    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Ivanov-2026\\Exchange"));
    const std::vector<std::int32_t> fresh = ListSplit(frame);
    ASSERT_EQ(fresh.size(), 2u);
    viewtest::DragBarUp(dynamic_cast<CListPropertyView&>(*frame.RightView()).ListWidget(), 100);
    const std::vector<std::int32_t> dragged = ListSplit(frame);
    ASSERT_NE(dragged, fresh);
    ASSERT_TRUE(world.Open(W(kReader0) + L"\\Ivanov-2026\\Signature"));
    EXPECT_EQ(ListSplit(frame), dragged);
    ASSERT_TRUE(world.Open(W(kReader1)));
    EXPECT_EQ(ListSplit(frame), dragged);
}

TEST(FrameRightPane, ALanguageSwitchBeforeTheFirstSelectionGivesAPaneInTheNewLanguage) {
    FrameWorld world;
    English english;
    // The empty pane a window opens with, in English.
    auto first = std::make_unique<CMainFrame>();
    ASSERT_TRUE(first->Create());
    const QString englishPane = PaneText(first->RightView());
    first.reset();

    // A window made and switched to Russian before its tree is filled.
    auto window = std::make_unique<CMainFrame>();
    ASSERT_TRUE(window->Create());
    QWidget* opening = window->RightView();
    EXPECT_EQ(PaneText(opening), englishPane);
    window->OnCommand(ID_VIEW_SWITCH_LANGUAGE);
    ASSERT_EQ(GetUiLanguage(), LANG_RUSSIAN_ID);
    EXPECT_NE(window->RightView(), opening);
    const QString russianPane = PaneText(window->RightView());
    EXPECT_NE(russianPane, englishPane);

    // Its first selection shows the token in Russian too.
    window->ShowWindow();
    ASSERT_TRUE(SpinUntil([&] { return window->SelectedNode() != nullptr; }));
    QApplication::processEvents();
    EXPECT_TRUE(PaneText(window->RightView()).contains(QStringLiteral("Velkora Pro Demo")));
    window->close();
}
