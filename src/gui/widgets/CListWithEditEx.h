// The list with detail box as the property views use it: it opens with the
// split recorded by the last list destroyed, and records its own split when
// it goes, so that the bar stays where the user put it from view to view for
// the rest of the run. Without a record (no main frame) it does neither.
#pragma once

#include "gui/widgets/CListWithEdit.h"

struct CListSplitRecord;

class CListWithEditEx : public CListWithEdit {
    Q_OBJECT

public:
    // `record` (may be null) must outlive the widget.
    CListWithEditEx(UINT listId, UINT editId, CListSplitRecord* record, QWidget* parent = nullptr);
    ~CListWithEditEx() override;

    bool Create(QWidget* parent, UINT controlId) override;
    // Records the split now, as the widget does when it goes.
    void WriteSplit();

private:
    CListSplitRecord* m_record;
};
