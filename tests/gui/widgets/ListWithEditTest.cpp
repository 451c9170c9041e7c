// CListWithEdit and CListWithEditEx: taking a placeholder's place, the list
// and detail box of a 404-pixel widget, columns that keep their proportions
// when the widget is resized, focus and Tab between list and box, the
// notifications the owning view gets, and the split carried from one list to
// the next through the frame's record. The splitter's arithmetic is
// SplitLayoutTest's, its drag SimpleSplitterTest's.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTreeWidget>
#include <memory>

#include "WidgetTestSupport.h"
#include "gui/resources/LangDialogBuilder.h"
#include "program/ui/CListSplitRecord.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CListWithEditEx.h"
#include "gui/widgets/CSimpleSplitResendingNotifications.h"

namespace {

using widgettest::Drag;
using widgettest::SendKey;
using widgettest::ShowHost;

constexpr UINT kPlaceholderId = 1040;
constexpr UINT kListId = 123;
constexpr UINT kEditId = 124;

// A shown form with a placeholder control (id 1040) at 10, 20, 300 by 404.
struct Form {
    QWidget form;
    QPointer<QLabel> placeholder = new QLabel(&form);

    Form() {
        placeholder->setObjectName(CLangDialogBuilder::ObjectName(kPlaceholderId));
        placeholder->setProperty(CLangDialogBuilder::kIdProperty, kPlaceholderId);
        placeholder->setGeometry(10, 20, 300, 404);
        ShowHost(form, 400, 500);
    }

    // A list widget made into the placeholder's place; owned by the form.
    template <typename W, typename... Args>
    W* Make(Args... args) {
        auto* widget = new W(kListId, kEditId, args...);
        EXPECT_TRUE(widget->Create(&form, kPlaceholderId));
        QApplication::processEvents();
        return widget;
    }
};

void AddRows(CListWithEdit* w, int count) {
    for (int i = 0; i < count; ++i) {
        w->AddRow(QStringList{QString("caption %1").arg(i), QString("value %1").arg(i)});
    }
}

TEST(ListWithEdit, TakesThePlaceholdersPlaceAndId) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    EXPECT_TRUE(f.placeholder.isNull());
    EXPECT_EQ(w->parentWidget(), &f.form);
    EXPECT_EQ(w->geometry(), QRect(10, 20, 300, 404));
    EXPECT_EQ(CLangDialogBuilder::FindControl(&f.form, kPlaceholderId), w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(CLangDialogBuilder::FindControl(w, kListId), w->List());
    EXPECT_EQ(CLangDialogBuilder::FindControl(w, kEditId), w->Edit());
    EXPECT_EQ(CLangDialogBuilder::FindControl(w, CListWithEdit::kSplitterId), w->Splitter());
    EXPECT_TRUE(w->Edit()->isReadOnly());
    EXPECT_EQ(w->List()->selectionMode(), QAbstractItemView::SingleSelection);
    // A second creation, or one without a parent, is refused.
    EXPECT_FALSE(w->Create(&f.form, kPlaceholderId));
    CListWithEdit orphan(kListId, kEditId);
    EXPECT_FALSE(orphan.Create(nullptr, kPlaceholderId));
    EXPECT_FALSE(orphan.IsCreated());
    EXPECT_EQ(orphan.AddRow(QStringList{"a"}), -1);
    // Without a placeholder of that id it becomes a child as it is.
    auto* loose = new CListWithEdit(kListId, kEditId);
    ASSERT_TRUE(loose->Create(&f.form, 777));
    EXPECT_EQ(CLangDialogBuilder::FindControl(&f.form, 777), loose);
}

TEST(ListWithEdit, ListAndBoxOfA404PixelWidget) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    EXPECT_EQ(w->Splitter()->geometry(), QRect(0, 0, 300, 404));
    EXPECT_EQ(w->List()->geometry(), QRect(0, 0, 300, 356));
    EXPECT_EQ(w->Edit()->geometry(), QRect(0, 360, 300, 44));
    EXPECT_EQ(w->Splitter()->Layout().Positions(), (std::vector<std::int32_t>{0, 360, 408}));
}

TEST(ListWithEdit, ColumnsKeepTheirProportionsAndFillTheList) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    QTreeWidget* list = w->List();
    list->setColumnCount(2);
    list->setColumnWidth(0, 30);
    list->setColumnWidth(1, 70);
    // Widen the widget so that the list's client area is 200 pixels wide.
    const int frame = list->width() - list->viewport()->width();
    w->resize(200 + frame, 404);
    ASSERT_EQ(list->viewport()->width(), 200);
    EXPECT_EQ(list->columnWidth(0), 60);
    EXPECT_EQ(list->columnWidth(1), 140);
    // And back: the proportions hold, the columns fill the width.
    w->resize(100 + frame, 404);
    EXPECT_EQ(list->columnWidth(0), 30);
    EXPECT_EQ(list->columnWidth(1), 70);
}

TEST(ListWithEdit, AColumnOfNoWidthCountsAsOnePixel) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    QTreeWidget* list = w->List();
    list->setColumnCount(2);
    list->header()->resizeSection(0, 0);
    list->setColumnWidth(1, 99);
    const int frame = list->width() - list->viewport()->width();
    w->resize(200 + frame, 404);
    EXPECT_EQ(list->columnWidth(0), 2);
    EXPECT_EQ(list->columnWidth(1), 198);
}

TEST(ListWithEdit, RowsAreCountedAndOwned) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    EXPECT_EQ(w->GetItemCount(), 0);
    EXPECT_EQ(w->AddRow(QStringList{"Name", "Demo"}), 0);
    auto* item = new QTreeWidgetItem(QStringList{"Type", "Pro"});
    EXPECT_EQ(w->AddRow(item), 1);
    EXPECT_EQ(w->GetItemCount(), 2);
    EXPECT_EQ(w->List()->topLevelItem(1), item);
    EXPECT_EQ(w->List()->topLevelItem(0)->text(1), "Demo");
    EXPECT_EQ(w->AddRow(nullptr), -1);
    w->SetDetailText("30 82 01 0a");
    EXPECT_EQ(w->Edit()->toPlainText(), "30 82 01 0a");
}

TEST(ListWithEdit, TabGoesFromListToBoxAndThenOnToTheTree) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    AddRows(w, 3);
    int pastEnd = 0;
    QObject::connect(w, &CListWithEdit::tabPastEnd, [&pastEnd] { ++pastEnd; });
    std::vector<int> shown;
    QObject::connect(w, &CListWithEdit::itemStateChanged,
                     [&shown](int row) { shown.push_back(row); });

    EXPECT_TRUE(w->GetFocusFlag());
    w->SetFocusToCurrent();
    EXPECT_EQ(f.form.focusWidget(), w->List());
    // No row was selected: row 0 is selected and focused, and the view hears of it.
    ASSERT_EQ(w->List()->selectedItems().size(), 1);
    EXPECT_EQ(w->List()->indexOfTopLevelItem(w->List()->selectedItems()[0]), 0);
    EXPECT_EQ(w->List()->currentItem(), w->List()->topLevelItem(0));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), 0);

    EXPECT_TRUE(SendKey(w->List(), Qt::Key_Tab));
    EXPECT_FALSE(w->GetFocusFlag());
    EXPECT_EQ(f.form.focusWidget(), w->Edit());
    EXPECT_EQ(pastEnd, 0);

    EXPECT_TRUE(SendKey(w->Edit(), Qt::Key_Tab));
    EXPECT_TRUE(w->GetFocusFlag());
    EXPECT_EQ(f.form.focusWidget(), w->List());
    EXPECT_EQ(pastEnd, 1);

    // Tab with a modifier is not the widget's.
    SendKey(w->List(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(w->GetFocusFlag());
    EXPECT_EQ(pastEnd, 1);
}

TEST(ListWithEdit, FocusKeepsTheSelectedRowAndTheEmptyListStaysEmpty) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    w->SetFocusToCurrent();
    EXPECT_EQ(w->List()->currentItem(), nullptr);
    AddRows(w, 3);
    w->List()->setCurrentItem(w->List()->topLevelItem(2));
    w->ToggleFocus();
    w->ToggleFocus();
    EXPECT_EQ(w->List()->currentItem(), w->List()->topLevelItem(2));
    ASSERT_EQ(w->List()->selectedItems().size(), 1);
    EXPECT_EQ(w->List()->selectedItems()[0], w->List()->topLevelItem(2));
}

TEST(ListWithEdit, TheFlagFollowsAClickIntoTheBox) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w->Edit(), &in);
    EXPECT_FALSE(w->GetFocusFlag());
    // Tab from the box goes on to the tree.
    EXPECT_TRUE(w->HandleTab());
    QApplication::sendEvent(w->List(), &in);
    EXPECT_TRUE(w->GetFocusFlag());
}

TEST(ListWithEdit, RowChangesAndDeletionsReachTheOwner) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    AddRows(w, 3);
    std::vector<int> shown;
    std::vector<int> deleted;
    QObject::connect(w, &CListWithEdit::itemStateChanged,
                     [&shown](int row) { shown.push_back(row); });
    QObject::connect(w, &CListWithEdit::itemDeleting,
                     [&deleted](int row) { deleted.push_back(row); });
    w->List()->setCurrentItem(w->List()->topLevelItem(1));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), 1);
    delete w->List()->topLevelItem(2);
    EXPECT_EQ(deleted, (std::vector<int>{2}));
}

TEST(ListWithEdit, NothingIsReportedWhileTheWidgetIsDestroyed) {
    Form f;
    auto* w = f.Make<CListWithEdit>();
    AddRows(w, 3);
    int reports = 0;
    QObject::connect(w, &CListWithEdit::itemDeleting, [&reports](int) { ++reports; });
    QObject::connect(w, &CListWithEdit::itemStateChanged, [&reports](int) { ++reports; });
    delete w;
    EXPECT_EQ(reports, 0);
}

TEST(ListWithEditEx, AnInvalidRecordIsFilledWhenTheListGoes) {
    CListSplitRecord record;
    {
        Form f;
        auto* plain = f.Make<CListWithEditEx>(static_cast<CListSplitRecord*>(nullptr));
        EXPECT_EQ(plain->Splitter()->GetProportions(), (std::vector<std::int32_t>{29127, 3641}));
        delete plain;  // no record to write to
    }
    {
        Form f;
        auto* w = f.Make<CListWithEditEx>(&record);
        EXPECT_EQ(w->Splitter()->GetProportions(), (std::vector<std::int32_t>{29127, 3641}));
        EXPECT_FALSE(record.valid);
    }
    EXPECT_TRUE(record.valid);
    EXPECT_EQ(record.first, 29127);
    EXPECT_EQ(record.second, 3641);
}

TEST(ListWithEditEx, TheDraggedSplitIsTakenOverByTheNextList) {
    CListSplitRecord record;
    {
        Form f;
        auto* w = f.Make<CListWithEditEx>(&record);
        Drag(w->Splitter(), {150, 358}, {150, 202});
        EXPECT_EQ(w->List()->height(), 200);
    }
    ASSERT_TRUE(record.valid);
    EXPECT_EQ(record.first, 16384);
    EXPECT_EQ(record.second, 16384);
    {
        Form f;
        auto* w = f.Make<CListWithEditEx>(&record);
        EXPECT_EQ(w->Splitter()->GetProportions(), (std::vector<std::int32_t>{16384, 16384}));
        EXPECT_EQ(w->List()->geometry(), QRect(0, 0, 300, 200));
        EXPECT_EQ(w->Edit()->geometry(), QRect(0, 204, 300, 200));
        // And the next change travels on.
        Drag(w->Splitter(), {150, 202}, {150, 5000});
    }
    EXPECT_EQ(record.first, 31949);
    EXPECT_EQ(record.second, 819);
}

}  // namespace
