#include "gui/ui/views/CListPropertyView.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QResizeEvent>
#include <QTreeWidget>

#include "gui/ui/views/DetailBoxFont.h"
#include "gui/ui/views/ViewText.h"
#include "gui/widgets/CListWithEditEx.h"
#include "gui/widgets/CSimpleSplitResendingNotifications.h"
#include "gui/widgets/CSizingAnchors.h"
#include "program/app/LangResource.h"
#include "program/ui/viewtext/ColumnWidths.h"
#include "res/resource.h"

CListPropertyView::CListPropertyView(UINT templateId, UINT headerId, UINT separatorId,
                                     SListLayout list, CFrameFacadePtr facade, QWidget* parent)
    : CPropertyViewBase(templateId, headerId, separatorId, std::move(facade), parent),
      m_layout(std::move(list)) {
    if (CListSplitRecord* record = Facade() ? Facade()->ListSplitRecord() : nullptr) {
        m_split = *record;
    }
}

CListPropertyView::~CListPropertyView() {
    // The list widget writes its split while this view's members are still
    // here; the frame's record gets it only while the frame is.
    delete m_listWidget;
    m_listWidget = nullptr;
    StoreSplit();
}

void CListPropertyView::StoreSplit() {
    if (m_listWidget != nullptr) {
        m_listWidget->WriteSplit();
    }
    if (!m_split.valid) {
        return;
    }
    if (CListSplitRecord* record = Facade() ? Facade()->ListSplitRecord() : nullptr) {
        *record = m_split;
    }
}

QTreeWidget* CListPropertyView::List() const {
    return m_listWidget != nullptr ? m_listWidget->List() : nullptr;
}

int CListPropertyView::RowCount() const {
    return m_listWidget != nullptr ? m_listWidget->GetItemCount() : 0;
}

void CListPropertyView::OnInitialUpdate() {
    CPropertyViewBase::OnInitialUpdate();
    CreateListWidget();
    MakeColumns();
    for (const DWORD icon : m_layout.icons) {
        m_icons.Register(icon);
    }
}

void CListPropertyView::CreateListWidget() {
    CListSplitRecord* record = Facade() && Facade()->ListSplitRecord() ? &m_split : nullptr;
    auto* widget = new CListWithEditEx(IDC_LIST_PART, IDC_DETAIL_PART, record, Form());
    if (!widget->Create(Form(), m_layout.placeholderId)) {
        delete widget;
        return;
    }
    m_listWidget = widget;
    AddSizedControl(widget, CSizingAnchors::kStretch, CSizingAnchors::kStretch);
    LayOutListPanes();
    widget->SetEditFont(DetailBoxFont());
    widget->List()->setIconSize(QSize(CRowIconRegistry::kIconSize, CRowIconRegistry::kIconSize));
    connect(widget, &CListWithEdit::itemStateChanged, this, [this](int row) { ShowDetail(row); });
    connect(widget, &CListWithEdit::tabPastEnd, this, [this] { OnTabPastEnd(); });
}

// A hidden list widget does not hear of its size until it is shown, and then
// rescales its columns from the list's size of that moment: its panes are laid
// out here at once, so that the list always has the width it is going to show.
void CListPropertyView::LayOutListPanes() {
    if (m_listWidget == nullptr || m_listWidget->Splitter() == nullptr) {
        return;
    }
    CSimpleSplitResendingNotifications* splitter = m_listWidget->Splitter();
    if (splitter->isVisible()) {
        return;  // it has laid itself out already
    }
    const QSize before = splitter->size();
    splitter->setGeometry(m_listWidget->rect());
    // What the splitter will hear when shown, told now.
    QResizeEvent resized(splitter->size(), before);
    QCoreApplication::sendEvent(splitter, &resized);
}

void CListPropertyView::resizeEvent(QResizeEvent* e) {
    CPropertyViewBase::resizeEvent(e);
    LayOutListPanes();
}

void CListPropertyView::MakeColumns() {
    QTreeWidget* list = List();
    if (list == nullptr) {
        return;
    }
    list->setColumnCount(2);
    list->setHeaderLabels({ToQString(LoadLangString(IDS_COLUMN_PROPERTY)),
                           ToQString(LoadLangString(IDS_COLUMN_VALUE))});
    const viewtext::SColumnWidths widths = viewtext::SplitColumnWidths(
        list->maximumViewportSize().width(), m_layout.propertyWeight, m_layout.valueWeight);
    list->setColumnWidth(0, widths.first);
    list->setColumnWidth(1, widths.second);
}

void CListPropertyView::ShowDetail(int row) {
    if (m_listWidget != nullptr && row >= 0 && row < RowCount()) {
        m_listWidget->SetDetailText(DetailOf(row));
    }
}

void CListPropertyView::OnTabPastEnd() {
    if (Facade()) {
        Facade()->ActivateOtherPane();
    }
}

void CListPropertyView::focusInEvent(QFocusEvent* e) {
    CPropertyViewBase::focusInEvent(e);
    if (m_listWidget != nullptr) {
        m_listWidget->SetFocusToCurrent();
    }
}
