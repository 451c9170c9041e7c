// The list views whose rows are certificate property rows (the key view and
// the certificate view): each list entry owns its row and asks it for texts,
// image and detail whenever the list needs them.
#pragma once

#include <memory>

#include "gui/ui/views/CListPropertyView.h"
#include "program/ui/certlist/ISLItemInfo.h"

class CRowListView : public CListPropertyView {
public:
    using CListPropertyView::CListPropertyView;

    // Appends a row at the end of the list; the list owns it from now on.
    // Ignored before the initial update.
    void AddRow(std::unique_ptr<SSertListItemInfo::ISLItemInfo> row);
    // The row of entry `index`, or null.
    const SSertListItemInfo::ISLItemInfo* RowAt(int index) const;

protected:
    QString DetailOf(int row) const override;
};
