#include "gui/ui/views/CPropertyRowItem.h"

#include "gui/ui/views/CRowIconRegistry.h"
#include "gui/ui/views/ViewText.h"

using SSertListItemInfo::ISLItemInfo;

CPropertyRowItem::CPropertyRowItem(std::unique_ptr<ISLItemInfo> row, const CRowIconRegistry& icons)
    : QTreeWidgetItem(kItemType), m_row(std::move(row)), m_icons(icons) {}

// Rows format their texts on request and may fail while doing so; a failure
// never leaves the list's painting.
bool CPropertyRowItem::IsPresent() const {
    if (!m_row) {
        return false;
    }
    try {
        (void)m_row->GetName();
        return true;
    } catch (...) {
        return false;
    }
}

QString CPropertyRowItem::ColumnText(int column) const {
    try {
        const std::wstring text = column == 0 ? m_row->GetName() : m_row->GetValue();
        return ToQString(text).left(kTextLimit);
    } catch (...) {
        return {};
    }
}

QVariant CPropertyRowItem::data(int column, int role) const {
    if (role != Qt::DisplayRole && role != Qt::DecorationRole && role != Qt::ToolTipRole) {
        return QTreeWidgetItem::data(column, role);
    }
    if ((column != 0 && column != 1) || !IsPresent()) {
        return {};
    }
    if (role == Qt::DecorationRole) {
        if (column != 0) {
            return {};
        }
        const QIcon icon = m_icons.ImageFor(m_row->GetIconId());
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    return ColumnText(column);
}

QString CPropertyRowItem::Detail() const {
    if (!IsPresent()) {
        return {};
    }
    try {
        return DetailBoxText(m_row->GetDetail());
    } catch (...) {
        return {};
    }
}
