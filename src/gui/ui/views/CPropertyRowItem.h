// A list entry of the key and certificate views: it owns one property row and
// answers the list's requests for texts and image by asking the row each time
// (column 0 the caption, column 1 the value, the row's icon in column 0). A
// row whose caption cannot be read counts as absent: the entry shows nothing.
// Deleting the entry destroys the row.
#pragma once

#include <QTreeWidgetItem>
#include <memory>

#include "program/ui/certlist/ISLItemInfo.h"

class CRowIconRegistry;

class CPropertyRowItem final : public QTreeWidgetItem {
public:
    static constexpr int kItemType = QTreeWidgetItem::UserType + 1;
    // A text handed to the list holds at most this many characters.
    static constexpr int kTextLimit = 1023;

    // `icons` must outlive the entry.
    CPropertyRowItem(std::unique_ptr<SSertListItemInfo::ISLItemInfo> row,
                     const CRowIconRegistry& icons);

    QVariant data(int column, int role) const override;

    const SSertListItemInfo::ISLItemInfo* Row() const { return m_row.get(); }
    // The row's detail text with plain line breaks; empty for an absent row.
    QString Detail() const;

private:
    bool IsPresent() const;
    QString ColumnText(int column) const;

    std::unique_ptr<SSertListItemInfo::ISLItemInfo> m_row;
    const CRowIconRegistry& m_icons;
};
