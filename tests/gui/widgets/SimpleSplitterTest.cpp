// CSimpleSplitter as a widget: where it puts its panes in both orientations,
// the mouse drag of a bar with its tracker and clamp, its creation as a child
// with an id, and CSimpleSplitResendingNotifications passing on what its
// lists report. The arithmetic itself is SplitLayoutTest's.
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "WidgetTestSupport.h"
#include "gui/resources/LangDialogBuilder.h"
#include "gui/widgets/CSimpleSplitResendingNotifications.h"

namespace {

using widgettest::SendMouse;
using widgettest::ShowHost;

// A stacked splitter of a list's size filling a shown host, with two panes.
struct StackedSplitter {
    QWidget host;
    CSimpleSplitter* splitter = new CSimpleSplitter(2, CSimpleSplitter::kStacked, 10, 4, &host);
    QWidget* top = new QWidget;
    QWidget* bottom = new QWidget;

    StackedSplitter() {
        splitter->SetPane(0, top);
        splitter->SetPane(1, bottom);
        const std::int32_t weights[] = {80, 10};
        splitter->SetProportions(weights);
        splitter->setGeometry(0, 0, 300, 404);
        ShowHost(host, 300, 404);
    }
};

TEST(SimpleSplitter, SideBySidePanesSplitTheWidth) {
    QWidget host;
    auto* splitter = new CSimpleSplitter(2, CSimpleSplitter::kSideBySide, 10, 4, &host);
    auto* left = new QWidget;
    auto* right = new QWidget;
    splitter->SetPane(0, left);
    splitter->SetPane(1, right);
    const std::int32_t weights[] = {80, 10};
    splitter->SetProportions(weights);
    splitter->setGeometry(0, 0, 404, 120);
    ShowHost(host, 404, 120);
    EXPECT_TRUE(splitter->IsSideBySide());
    EXPECT_EQ(left->geometry(), QRect(0, 0, 356, 120));
    EXPECT_EQ(right->geometry(), QRect(360, 0, 44, 120));
    EXPECT_EQ(splitter->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(left->cursor().shape(), Qt::ArrowCursor);
}

TEST(SimpleSplitter, DraggingTheBarToTheBottomStopsAtTheMinimum) {
    StackedSplitter s;
    EXPECT_EQ(s.top->parentWidget(), s.splitter);
    EXPECT_EQ(s.top->geometry(), QRect(0, 0, 300, 356));
    EXPECT_EQ(s.splitter->Tracker(), nullptr);
    SendMouse(s.splitter, QEvent::MouseButtonPress, {150, 358});
    ASSERT_NE(s.splitter->Tracker(), nullptr);
    EXPECT_TRUE(s.splitter->Tracker()->isVisible());
    EXPECT_EQ(s.splitter->Tracker()->geometry(), QRect(0, 356, 300, 4));
    SendMouse(s.splitter, QEvent::MouseMove, {150, 2000});
    // Ten pixels plus the bar above the bottom edge.
    EXPECT_EQ(s.splitter->Tracker()->geometry(), QRect(0, 404 - 14, 300, 4));
    // The panes move only on release.
    EXPECT_EQ(s.bottom->geometry(), QRect(0, 360, 300, 44));
    SendMouse(s.splitter, QEvent::MouseButtonRelease, {150, 2000});
    EXPECT_EQ(s.splitter->Tracker(), nullptr);
    EXPECT_EQ(s.top->geometry(), QRect(0, 0, 300, 390));
    EXPECT_EQ(s.bottom->geometry(), QRect(0, 394, 300, 10));
    EXPECT_EQ(s.splitter->GetProportions(), (std::vector<std::int32_t>{31949, 819}));
}

TEST(SimpleSplitter, CreateMakesAChildWithItsIdAndPanesAreChecked) {
    QWidget parent;
    CSimpleSplitter loose(2, CSimpleSplitter::kStacked, 10, 4);
    EXPECT_FALSE(loose.Create(nullptr, 59648));

    auto* splitter = new CSimpleSplitter(2, CSimpleSplitter::kStacked, 10, 4);
    ASSERT_TRUE(splitter->Create(&parent, 59648));
    EXPECT_EQ(splitter->parentWidget(), &parent);
    EXPECT_EQ(CLangDialogBuilder::FindControl(&parent, 59648), splitter);
    EXPECT_EQ(splitter->cursor().shape(), Qt::SizeVerCursor);

    QWidget pane;
    EXPECT_FALSE(splitter->SetPane(2, &pane));
    EXPECT_FALSE(splitter->SetPane(-1, &pane));
    EXPECT_EQ(splitter->Pane(2), nullptr);
    EXPECT_EQ(pane.parentWidget(), nullptr);
}

TEST(SimpleSplitter, ADestroyedPaneIsForgotten) {
    StackedSplitter s;
    delete s.bottom;
    EXPECT_EQ(s.splitter->Pane(1), nullptr);
    s.splitter->resize(300, 500);  // moves the remaining pane only
    EXPECT_EQ(s.top->width(), 300);
}

struct Report {
    QWidget* sender;
    int row;
};

// Two lists of three rows in a splitter that forwards the first one's notifications.
struct ForwardingList {
    std::vector<Report> changed;
    std::vector<Report> deleting;
    CSimpleSplitResendingNotifications splitter{2, CSimpleSplitter::kStacked, 10, 4};
    QTreeWidget* list = new QTreeWidget;
    QTreeWidget* other = new QTreeWidget;

    ForwardingList() {
        QObject::connect(&splitter, &CSimpleSplitResendingNotifications::itemStateChanged,
                         [this](QWidget* w, int row) {
                             changed.push_back({w, row});
                         });
        QObject::connect(&splitter, &CSimpleSplitResendingNotifications::itemDeleting,
                         [this](QWidget* w, int row) {
                             deleting.push_back({w, row});
                         });
        vktest::QtApp();
        for (QTreeWidget* l : {list, other}) {
            for (const char* text : {"a", "b", "c"}) {
                l->addTopLevelItem(new QTreeWidgetItem(QStringList{text}));
            }
        }
        splitter.SetPane(0, list);
        splitter.SetPane(1, other);
        splitter.AddNotifier(list);
    }
};

TEST(SimpleSplitResendingNotifications, PassesOnRowChangesOfItsListsOnly) {
    ForwardingList f;
    auto& changed = f.changed;
    EXPECT_TRUE(f.splitter.IsNotifier(f.list));
    EXPECT_FALSE(f.splitter.IsNotifier(f.other));

    f.list->setCurrentItem(f.list->topLevelItem(2));
    ASSERT_FALSE(changed.empty());
    for (const Report& call : changed) {
        EXPECT_EQ(call.sender, f.list);
        EXPECT_EQ(call.row, 2);
    }
    changed.clear();
    f.other->setCurrentItem(f.other->topLevelItem(1));
    EXPECT_TRUE(changed.empty());
}

TEST(SimpleSplitResendingNotifications, ReportsEachRowBeforeItGoes) {
    ForwardingList f;
    auto& deleting = f.deleting;
    delete f.list->topLevelItem(1);
    ASSERT_EQ(deleting.size(), 1);
    EXPECT_EQ(deleting[0].sender, f.list);
    EXPECT_EQ(deleting[0].row, 1);
    deleting.clear();
    f.list->clear();
    ASSERT_EQ(deleting.size(), 2);
    EXPECT_EQ(deleting[0].row, 0);
    EXPECT_EQ(deleting[1].row, 1);
    deleting.clear();
    f.other->clear();
    EXPECT_TRUE(deleting.empty());
}

}  // namespace
