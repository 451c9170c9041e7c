// CListWithEdit: the placeholder's place, columns that keep their proportions (the one place this
// is tested), rows, the focus flag, notifications. Tab and carried splits are the views tests'.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTreeWidget>
#include <tuple>

#include "WidgetTestSupport.h"
#include "gui/resources/LangDialogBuilder.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CListWithEdit.h"
#include "gui/widgets/CSimpleSplitResendingNotifications.h"
#include "res/resource.h"

namespace {

using widgettest::SendKey;
using widgettest::ShowHost;

struct Form {
    QWidget form;
    QPointer<QLabel> placeholder = new QLabel(&form);

    Form() {
        placeholder->setObjectName(CLangDialogBuilder::ObjectName(IDC_PROPERTY_LIST));
        placeholder->setProperty(CLangDialogBuilder::kIdProperty, IDC_PROPERTY_LIST);
        placeholder->setGeometry(10, 20, 300, 404);
        ShowHost(form, 400, 500);
    }

    // A list widget made into the placeholder's place, with `rows` rows; owned by the form.
    CListWithEdit* Make(int rows = 0) {
        auto* widget = new CListWithEdit(IDC_LIST_PART, IDC_DETAIL_PART);
        EXPECT_TRUE(widget->Create(&form, IDC_PROPERTY_LIST));
        QApplication::processEvents();
        for (int i = 0; i < rows; ++i) {
            widget->AddRow(QStringList{QString("caption %1").arg(i), QString("value %1").arg(i)});
        }
        return widget;
    }
};

TEST(ListWithEdit, TakesThePlaceholdersPlaceAndIdAndHoldsRows) {
    Form f;
    auto* w = f.Make();
    EXPECT_TRUE(f.placeholder.isNull());
    EXPECT_EQ(w->parentWidget(), &f.form);
    EXPECT_EQ(w->geometry(), QRect(10, 20, 300, 404));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(CLangDialogBuilder::FindControl(&f.form, IDC_PROPERTY_LIST), w);
    EXPECT_EQ(CLangDialogBuilder::FindControl(w, IDC_LIST_PART), w->List());
    EXPECT_EQ(CLangDialogBuilder::FindControl(w, IDC_DETAIL_PART), w->Edit());
    EXPECT_EQ(CLangDialogBuilder::FindControl(w, AFX_IDW_PANE_FIRST), w->Splitter());
    // List and box fill the splitter's panes.
    EXPECT_EQ(w->Splitter()->geometry(), QRect(0, 0, 300, 404));
    EXPECT_EQ(w->List()->geometry().bottom() + 1 + 4, w->Edit()->geometry().top());
    EXPECT_EQ(w->Edit()->geometry().bottom(), 403);
    EXPECT_TRUE(w->Edit()->isReadOnly());
    EXPECT_EQ(w->List()->selectionMode(), QAbstractItemView::SingleSelection);
    w->SetFocusToCurrent();
    EXPECT_EQ(w->List()->currentItem(), nullptr) << "the empty list stays empty";
    // Rows are counted and owned.
    EXPECT_EQ(w->AddRow(QStringList{"Name", "Demo"}), 0);
    auto* item = new QTreeWidgetItem(QStringList{"Type", "Pro"});
    EXPECT_EQ(w->AddRow(item), 1);
    EXPECT_EQ(w->GetItemCount(), 2);
    EXPECT_EQ(w->List()->topLevelItem(1), item);
    EXPECT_EQ(w->List()->topLevelItem(0)->text(1), "Demo");
    EXPECT_EQ(w->AddRow(nullptr), -1);
    w->SetDetailText("30 82 01 0a");
    EXPECT_EQ(w->Edit()->toPlainText(), "30 82 01 0a");
    // A second creation, or one without a parent, is refused.
    EXPECT_FALSE(w->Create(&f.form, IDC_PROPERTY_LIST));
    CListWithEdit orphan(IDC_LIST_PART, IDC_DETAIL_PART);
    EXPECT_FALSE(orphan.Create(nullptr, IDC_PROPERTY_LIST));
    EXPECT_FALSE(orphan.IsCreated());
    EXPECT_EQ(orphan.AddRow(QStringList{"a"}), -1);
    // Without a placeholder of that id it becomes a child as it is.
    auto* loose = new CListWithEdit(IDC_LIST_PART, IDC_DETAIL_PART);
    ASSERT_TRUE(loose->Create(&f.form, IDC_TOKEN_LIST));
    EXPECT_EQ(CLangDialogBuilder::FindControl(&f.form, IDC_TOKEN_LIST), loose);
}

TEST(ListWithEdit, ColumnsKeepTheirProportionsAndFillTheList) {
    // Column widths before, the list's new client width, the widths after; back again; a column
    // of no width counts as one pixel.
    const std::tuple<int, int, int, int, int> cases[] = {
        {30, 70, 200, 60, 140}, {60, 140, 100, 30, 70}, {0, 99, 200, 2, 198}};
    Form f;
    auto* w = f.Make();
    QTreeWidget* list = w->List();
    list->setColumnCount(2);
    const int frame = list->width() - list->viewport()->width();
    for (const auto& [first, second, width, firstAfter, secondAfter] : cases) {
        list->header()->resizeSection(0, first);
        list->setColumnWidth(1, second);
        w->resize(width + frame, 404);
        ASSERT_EQ(list->viewport()->width(), width);
        EXPECT_EQ(list->columnWidth(0), firstAfter) << first << ":" << second;
        EXPECT_EQ(list->columnWidth(1), secondAfter) << first << ":" << second;
    }
}

TEST(ListWithEdit, TheFocusFlagFollowsClicksRowChangesReachTheOwnerButNotWhileItGoes) {
    Form f;
    auto* w = f.Make(3);
    w->SetFocusToCurrent();
    EXPECT_TRUE(w->GetFocusFlag());
    // Tab with a modifier is not the widget's.
    SendKey(w->List(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(f.form.focusWidget(), w->List());
    QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w->Edit(), &in);
    EXPECT_FALSE(w->GetFocusFlag());
    QApplication::sendEvent(w->List(), &in);
    EXPECT_TRUE(w->GetFocusFlag());

    w->List()->setCurrentItem(w->List()->topLevelItem(2));
    w->ToggleFocus();
    w->ToggleFocus();
    EXPECT_EQ(w->List()->currentItem(), w->List()->topLevelItem(2));
    ASSERT_EQ(w->List()->selectedItems().size(), 1);
    EXPECT_EQ(w->List()->selectedItems()[0], w->List()->topLevelItem(2));

    // Row changes and deletions reach the owner, but not while the widget goes.
    std::vector<int> shown, deleted;
    QObject::connect(w, &CListWithEdit::itemStateChanged,
                     [&shown](int row) { shown.push_back(row); });
    QObject::connect(w, &CListWithEdit::itemDeleting,
                     [&deleted](int row) { deleted.push_back(row); });
    w->List()->setCurrentItem(w->List()->topLevelItem(1));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), 1);
    delete w->List()->topLevelItem(2);
    EXPECT_EQ(deleted, (std::vector<int>{2}));
    shown.clear();
    delete w;
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(deleted, (std::vector<int>{2}));
}

}  // namespace
