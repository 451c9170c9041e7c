#include "gui/ui/views/CTokenInfoViewEx.h"

#include <QTreeWidget>

#include "gui/ui/views/ViewText.h"
#include "gui/widgets/CListWithEditEx.h"
#include "program/ui/certlist/ISLItemInfo.h"
#include "program/ui/viewtext/TokenViewText.h"
#include "res/resource.h"

namespace {

constexpr int kPropertyWeight = 37;
constexpr int kValueWeight = 63;

}  // namespace

CTokenInfoViewEx::CTokenInfoViewEx(CFrameFacadePtr facade, QWidget* parent)
    : CListPropertyView(IDD_TOKEN_VIEW, IDC_TOKEN_HEADER, IDC_TOKEN_SEPARATOR,
                        {IDC_TOKEN_LIST, kPropertyWeight, kValueWeight, {IDI_ROW_TEXT}},
                        std::move(facade), parent) {}

void CTokenInfoViewEx::OnInitialUpdate() {
    CListPropertyView::OnInitialUpdate();
    m_headerTemplate = TemplateText(IDC_TOKEN_HEADER);
    SetHeaderText(TemplateText(IDC_NO_TOKEN_TEXT));
}

void CTokenInfoViewEx::FillTokenRecord(const STokenRecord& record) {
    m_record = record;
    if (!m_record.present) {
        return;  // an empty reader: no rows, and the header keeps its text for no token
    }
    // The policy row is last, and making the rows stores its text in the copy.
    const std::vector<viewtext::STokenViewRow> rows = viewtext::TokenViewRows(m_record);
    for (const viewtext::STokenViewRow& row : rows) {
        AddRow(row.caption, row.value);
    }
    m_record.header = viewtext::TokenViewHeader(m_headerTemplate, m_record.label);
    SetHeaderText(m_record.header);
}

void CTokenInfoViewEx::AddRow(const std::wstring& caption, const std::wstring& value) {
    if (ListWidget() == nullptr) {
        return;
    }
    auto* item = new QTreeWidgetItem({ToQString(caption), ToQString(value)});
    item->setIcon(0, Icons().Image(0));
    ListWidget()->AddRow(item);
}

QString CTokenInfoViewEx::DetailOf(int row) const {
    const QTreeWidgetItem* item = List() != nullptr ? List()->topLevelItem(row) : nullptr;
    return item != nullptr ? item->text(1) : QString();
}
