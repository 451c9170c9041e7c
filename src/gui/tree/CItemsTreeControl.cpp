#include "gui/tree/CItemsTreeControl.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace STreeItemInfo::View {

CItemsTreeControl::CItemsTreeControl(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    // The one column is as wide as its widest label: longer labels give a horizontal scroll bar
    // instead of being cut short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

QModelIndex CItemsTreeControl::ItemAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid()) {
        return {};
    }
    // Only the icon and the label count, not the blank rest of the row.
    const QRect cell = visualRect(index);
    const int width = sizeHintForIndex(index).width();
    if (viewportPos.x() < cell.left() || viewportPos.x() >= cell.left() + width) {
        return {};
    }
    return index;
}

void CItemsTreeControl::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (event->reason() == QContextMenuEvent::Mouse) {
        emit contextMenuAtPoint(event->pos());
    } else {
        emit contextMenuForCurrent();
    }
}

void CItemsTreeControl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        event->accept();
        emit contextMenuForCurrent();
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool CItemsTreeControl::focusNextPrevChild(bool next) {
    if (m_tabHandler && m_tabHandler()) {
        return true;
    }
    return QTreeView::focusNextPrevChild(next);
}

}  // namespace STreeItemInfo::View
