#include "gui/widgets/CListWithEdit.h"

#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>

#include "gui/resources/LangDialogBuilder.h"
#include "gui/widgets/CEdit_Ex.h"
#include "gui/widgets/CSimpleSplitResendingNotifications.h"
#include "res/resource.h"

namespace {

void SetControlId(QWidget* w, UINT id) {
    w->setObjectName(CLangDialogBuilder::ObjectName(id));
    w->setProperty(CLangDialogBuilder::kIdProperty, static_cast<uint>(id));
}

bool IsPlainTab(const QEvent* e) {
    const auto* key = static_cast<const QKeyEvent*>(e);
    return key->key() == Qt::Key_Tab && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

CListWithEdit::CListWithEdit(UINT listId, UINT editId, QWidget* parent)
    : QWidget(parent), m_listId(listId), m_editId(editId) {
    setFocusPolicy(Qt::NoFocus);
}

CListWithEdit::~CListWithEdit() {
    // The owner may be going too: nothing is reported while the children go.
    blockSignals(true);
    if (m_splitter != nullptr) {
        m_splitter->blockSignals(true);
        m_list->removeEventFilter(this);
        m_list->viewport()->removeEventFilter(this);
        m_edit->removeEventFilter(this);
    }
}

bool CListWithEdit::IsCreated() const {
    return m_splitter != nullptr;
}

bool CListWithEdit::Create(QWidget* parent, UINT controlId) {
    if (parent == nullptr || IsCreated()) {
        return false;
    }
    BuildChildren();
    QWidget* placeholder = CLangDialogBuilder::FindControl(parent, controlId);
    if (placeholder != nullptr && placeholder != this) {
        TakePlaceOf(placeholder);
    } else {
        setParent(parent);
        SetControlId(this, controlId);
    }
    m_splitter->setGeometry(rect());
    show();
    return true;
}

// The composite stands where the placeholder stood, with its geometry, id and
// place among its siblings; the placeholder goes.
void CListWithEdit::TakePlaceOf(QWidget* placeholder) {
    setParent(placeholder->parentWidget());
    setGeometry(placeholder->geometry());
    SetControlId(this, CLangDialogBuilder::ControlId(placeholder));
    stackUnder(placeholder);
    QWidget::setTabOrder(placeholder, this);
    delete placeholder;
}

void CListWithEdit::BuildChildren() {
    m_splitter = new CSimpleSplitResendingNotifications(2, CSimpleSplitter::kStacked, kMinPane,
                                                        kBarWidth, this);
    m_splitter->Create(this, AFX_IDW_PANE_FIRST);

    m_list = new QTreeWidget(m_splitter);
    SetControlId(m_list, m_listId);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSortingEnabled(false);
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setMinimumSectionSize(1);
    // Made after the list, so that the list comes first in the focus chain.
    m_edit = new CEdit_Ex(m_splitter);
    SetControlId(m_edit, m_editId);

    m_splitter->SetPane(0, m_list);
    m_splitter->SetPane(1, m_edit);
    m_splitter->AddNotifier(m_list);
    m_splitter->AddNotifier(m_edit);
    const std::int32_t weights[] = {kListWeight, kEditWeight};
    m_splitter->SetProportions(weights);

    connect(m_splitter, &CSimpleSplitResendingNotifications::itemStateChanged, this,
            [this](QWidget*, int row) { emit itemStateChanged(row); });
    connect(m_splitter, &CSimpleSplitResendingNotifications::itemDeleting, this,
            [this](QWidget*, int row) { emit itemDeleting(row); });
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    m_edit->installEventFilter(this);
}

int CListWithEdit::GetItemCount() const {
    return m_list != nullptr ? m_list->topLevelItemCount() : 0;
}

int CListWithEdit::AddRow(QTreeWidgetItem* item) {
    if (m_list == nullptr || item == nullptr) {
        delete item;
        return -1;
    }
    m_list->addTopLevelItem(item);
    return m_list->indexOfTopLevelItem(item);
}

int CListWithEdit::AddRow(const QStringList& texts) {
    return AddRow(new QTreeWidgetItem(texts));
}

void CListWithEdit::SetDetailText(const QString& text) {
    if (m_edit != nullptr) {
        m_edit->setPlainText(text);
    }
}

void CListWithEdit::SetEditFont(const QFont& font) {
    if (m_edit != nullptr) {
        m_edit->setFont(font);
    }
}

void CListWithEdit::ToggleFocus() {
    m_focusOnList = !m_focusOnList;
    SetFocusToCurrent();
}

void CListWithEdit::SetFocusToCurrent() {
    if (m_focusOnList && m_list != nullptr) {
        if (m_list->selectedItems().isEmpty() && m_list->topLevelItemCount() > 0) {
            m_list->setCurrentItem(m_list->topLevelItem(0));
        }
        m_list->setFocus(Qt::TabFocusReason);
    } else if (!m_focusOnList && m_edit != nullptr) {
        m_edit->setFocus(Qt::TabFocusReason);
    }
}

bool CListWithEdit::HandleTab() {
    ToggleFocus();
    if (m_focusOnList) {
        emit tabPastEnd();
    }
    return m_focusOnList;
}

std::vector<int> CListWithEdit::ColumnWidths() const {
    std::vector<int> widths;
    if (m_list == nullptr) {
        return widths;
    }
    for (int i = 0; i < m_list->columnCount(); ++i) {
        widths.push_back(std::max(m_list->columnWidth(i), 1));
    }
    return widths;
}

// The list's client width as its present size gives it (also while hidden,
// when the viewport has not been laid out yet).
int CListWithEdit::ListClientWidth() const {
    int width = m_list->maximumViewportSize().width();
    const QScrollBar* bar = m_list->verticalScrollBar();
    if (m_list->verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded && bar->isVisibleTo(m_list)) {
        width -= bar->sizeHint().width();
    }
    return std::max(width, 0);
}

void CListWithEdit::RescaleColumns(const std::vector<int>& oldWidths, int clientWidth) {
    long long total = 0;
    for (int w : oldWidths) {
        total += w;
    }
    if (total <= 0 || clientWidth <= 0) {
        return;  // a list of no width keeps the proportions it had
    }
    // Each column its share rounded down; the last one the rest, so that they fill the width.
    int left = clientWidth;
    for (size_t i = 0; i < oldWidths.size(); ++i) {
        const bool last = i + 1 == oldWidths.size();
        const int width =
            last ? std::max(left, 0)
                 : static_cast<int>(oldWidths[i] * static_cast<long long>(clientWidth) / total);
        left -= width;
        if (m_list->columnWidth(static_cast<int>(i)) != width) {
            m_list->setColumnWidth(static_cast<int>(i), width);
        }
    }
}

void CListWithEdit::resizeEvent(QResizeEvent* e) {
    const std::vector<int> oldWidths = ColumnWidths();
    QWidget::resizeEvent(e);
    if (m_splitter == nullptr) {
        return;
    }
    m_splitter->setGeometry(rect());
    RescaleColumns(oldWidths, ListClientWidth());
}

bool CListWithEdit::eventFilter(QObject* watched, QEvent* e) {
    if (m_list != nullptr && watched == m_list->viewport()) {
        // The bar moved, or a scroll bar came or went: the columns fill the list's new width.
        if (e->type() == QEvent::Resize) {
            RescaleColumns(ColumnWidths(), static_cast<QResizeEvent*>(e)->size().width());
        }
        return QWidget::eventFilter(watched, e);
    }
    const bool child = watched == m_list || watched == m_edit;
    if (!child) {
        return QWidget::eventFilter(watched, e);
    }
    switch (e->type()) {
        case QEvent::ShortcutOverride:
            // Tab belongs to the widget, not to a shortcut of the window.
            if (IsPlainTab(e)) {
                e->accept();
                return true;
            }
            break;
        case QEvent::KeyPress:
            if (IsPlainTab(e)) {
                HandleTab();
                return true;
            }
            break;
        case QEvent::FocusIn:
            // A click moves the focus too: the flag follows it.
            m_focusOnList = watched == m_list;
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, e);
}
