#include "gui/ui/views/CRowListView.h"

#include <QTreeWidget>

#include "gui/ui/views/CPropertyRowItem.h"
#include "gui/widgets/CListWithEditEx.h"

void CRowListView::AddRow(std::unique_ptr<SSertListItemInfo::ISLItemInfo> row) {
    if (ListWidget() == nullptr || !row) {
        return;
    }
    ListWidget()->AddRow(new CPropertyRowItem(std::move(row), Icons()));
}

namespace {

const CPropertyRowItem* ItemAt(const QTreeWidget* list, int index) {
    const QTreeWidgetItem* item = list != nullptr ? list->topLevelItem(index) : nullptr;
    return item != nullptr && item->type() == CPropertyRowItem::kItemType
               ? static_cast<const CPropertyRowItem*>(item)
               : nullptr;
}

}  // namespace

const SSertListItemInfo::ISLItemInfo* CRowListView::RowAt(int index) const {
    const CPropertyRowItem* item = ItemAt(List(), index);
    return item != nullptr ? item->Row() : nullptr;
}

QString CRowListView::DetailOf(int row) const {
    const CPropertyRowItem* item = ItemAt(List(), row);
    return item != nullptr ? item->Detail() : QString();
}
