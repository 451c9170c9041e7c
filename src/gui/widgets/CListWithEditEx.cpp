#include "gui/widgets/CListWithEditEx.h"

#include "gui/widgets/CSimpleSplitResendingNotifications.h"
#include "program/ui/CListSplitRecord.h"

CListWithEditEx::CListWithEditEx(UINT listId, UINT editId, CListSplitRecord* record,
                                 QWidget* parent)
    : CListWithEdit(listId, editId, parent), m_record(record) {}

CListWithEditEx::~CListWithEditEx() {
    WriteSplit();
}

void CListWithEditEx::WriteSplit() {
    if (m_record == nullptr || Splitter() == nullptr) {
        return;
    }
    const auto proportions = Splitter()->GetProportions();
    m_record->first = proportions[0];
    m_record->second = proportions[1];
    m_record->valid = true;
}

bool CListWithEditEx::Create(QWidget* parent, UINT controlId) {
    if (!CListWithEdit::Create(parent, controlId)) {
        return false;
    }
    if (m_record != nullptr && m_record->valid) {
        const std::int32_t weights[] = {m_record->first, m_record->second};
        Splitter()->SetProportions(weights);
    }
    return true;
}
