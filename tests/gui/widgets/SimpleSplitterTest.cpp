// CSimpleSplitter as a widget: panes where its layout says, a bar dragged with its tracker, its
// creation, and the notifications passed on. The arithmetic is SplitLayoutTest's.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "WidgetTestSupport.h"
#include "gui/resources/LangDialogBuilder.h"
#include "gui/widgets/CSimpleSplitResendingNotifications.h"
#include "res/resource.h"

namespace {

using widgettest::SendMouse;
using widgettest::ShowHost;

struct Splitter {
    QWidget host;
    CSimpleSplitter* splitter;
    QWidget* first = new QWidget;
    QWidget* second = new QWidget;

    Splitter(int orientation, QSize size)
        : splitter(new CSimpleSplitter(2, orientation, 10, 4, &host)) {
        splitter->SetPane(0, first);
        splitter->SetPane(1, second);
        const std::int32_t weights[] = {80, 10};
        splitter->SetProportions(weights);
        splitter->setGeometry(QRect(QPoint(0, 0), size));
        ShowHost(host, size.width(), size.height());
    }

    // Where the layout puts pane i across the splitter.
    QRect Expected(int i) const {
        const CSplitLayout& l = splitter->Layout();
        return splitter->IsSideBySide()
                   ? QRect(l.PaneStart(i), 0, l.PaneLength(i), splitter->height())
                   : QRect(0, l.PaneStart(i), splitter->width(), l.PaneLength(i));
    }
};

TEST(SimpleSplitter, PanesGoWhereTheLayoutSaysABarIsDraggedWithATracker) {
    Splitter across(CSimpleSplitter::kSideBySide, {404, 120});
    EXPECT_EQ(across.first->geometry(), across.Expected(0));
    EXPECT_EQ(across.second->geometry(), across.Expected(1));
    EXPECT_EQ(across.first->width() + 4 + across.second->width(), 404);
    EXPECT_EQ(across.splitter->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(across.first->cursor().shape(), Qt::ArrowCursor);

    Splitter stacked(CSimpleSplitter::kStacked, {300, 404});
    EXPECT_EQ(stacked.first->parentWidget(), stacked.splitter);
    EXPECT_EQ(stacked.second->geometry(), stacked.Expected(1));
    EXPECT_EQ(stacked.first->height() + 4 + stacked.second->height(), 404);

    // A bar is dragged with a tracker.
    const QRect before = stacked.second->geometry();
    const int bar = stacked.first->geometry().bottom() + 1;
    EXPECT_EQ(stacked.splitter->Tracker(), nullptr);
    SendMouse(stacked.splitter, QEvent::MouseButtonPress, {150, bar + 2});
    ASSERT_NE(stacked.splitter->Tracker(), nullptr);
    EXPECT_TRUE(stacked.splitter->Tracker()->isVisible());
    EXPECT_EQ(stacked.splitter->Tracker()->geometry(), QRect(0, bar, 300, 4));
    SendMouse(stacked.splitter, QEvent::MouseMove, {150, 2000});
    // Clamped where the layout clamps it; the panes move only on release.
    EXPECT_EQ(stacked.splitter->Tracker()->geometry().top(),
              stacked.splitter->Layout().TrackerPosition() - 4);
    EXPECT_EQ(stacked.second->geometry(), before);
    SendMouse(stacked.splitter, QEvent::MouseButtonRelease, {150, 2000});
    EXPECT_EQ(stacked.splitter->Tracker(), nullptr);
    EXPECT_EQ(stacked.first->geometry(), stacked.Expected(0));
    EXPECT_EQ(stacked.second->geometry(), stacked.Expected(1));
    EXPECT_EQ(stacked.second->height(), 10) << "dragged to the bottom: the minimum";
    // A destroyed pane is forgotten; the other one still follows.
    delete stacked.second;
    EXPECT_EQ(stacked.splitter->Pane(1), nullptr);
    stacked.splitter->resize(300, 500);
    EXPECT_EQ(stacked.first->geometry(), stacked.Expected(0));
}

TEST(SimpleSplitter, CreateMakesAChildWithItsIdAndPanesAreChecked) {
    QWidget parent;
    CSimpleSplitter loose(2, CSimpleSplitter::kStacked, 10, 4);
    EXPECT_FALSE(loose.Create(nullptr, AFX_IDW_PANE_FIRST));

    auto* splitter = new CSimpleSplitter(2, CSimpleSplitter::kStacked, 10, 4);
    ASSERT_TRUE(splitter->Create(&parent, AFX_IDW_PANE_FIRST));
    EXPECT_EQ(splitter->parentWidget(), &parent);
    EXPECT_EQ(CLangDialogBuilder::FindControl(&parent, AFX_IDW_PANE_FIRST), splitter);
    EXPECT_EQ(splitter->cursor().shape(), Qt::SizeVerCursor);
    QWidget pane;
    EXPECT_FALSE(splitter->SetPane(2, &pane));
    EXPECT_FALSE(splitter->SetPane(-1, &pane));
    EXPECT_EQ(splitter->Pane(2), nullptr);
    EXPECT_EQ(pane.parentWidget(), nullptr);
}

TEST(SimpleSplitResendingNotifications, PassesOnRowChangesAndDeletionsOfItsListsOnly) {
    using Report = std::pair<QWidget*, int>;
    std::vector<Report> changed, deleting;
    CSimpleSplitResendingNotifications splitter{2, CSimpleSplitter::kStacked, 10, 4};
    QObject::connect(&splitter, &CSimpleSplitResendingNotifications::itemStateChanged,
                     [&changed](QWidget* w, int row) { changed.emplace_back(w, row); });
    QObject::connect(&splitter, &CSimpleSplitResendingNotifications::itemDeleting,
                     [&deleting](QWidget* w, int row) { deleting.emplace_back(w, row); });
    auto* list = new QTreeWidget;
    auto* other = new QTreeWidget;
    for (QTreeWidget* l : {list, other}) {
        l->addTopLevelItems(
            {new QTreeWidgetItem({"a"}), new QTreeWidgetItem({"b"}), new QTreeWidgetItem({"c"})});
    }
    splitter.SetPane(0, list);
    splitter.SetPane(1, other);
    splitter.AddNotifier(list);
    EXPECT_TRUE(splitter.IsNotifier(list));
    EXPECT_FALSE(splitter.IsNotifier(other));

    list->setCurrentItem(list->topLevelItem(2));
    ASSERT_FALSE(changed.empty());
    EXPECT_EQ(changed, std::vector<Report>(changed.size(), {list, 2}));
    changed.clear();
    other->setCurrentItem(other->topLevelItem(1));
    EXPECT_TRUE(changed.empty());
    // Each row is reported before it goes.
    delete list->topLevelItem(1);
    list->clear();
    other->clear();
    EXPECT_EQ(deleting, (std::vector<Report>{{list, 1}, {list, 0}, {list, 1}}));
}

}  // namespace
