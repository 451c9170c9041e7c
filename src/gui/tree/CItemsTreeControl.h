// The tree control of the tree view: a QTreeView that reports context menu requests (right
// click, the Menu key, Shift+F10) with the point they concern, and hands Tab to its owner. Its
// column is as wide as the widest label shown, so that long labels scroll sideways.
#pragma once

#include <QModelIndex>
#include <QPoint>
#include <QTreeView>
#include <functional>

namespace STreeItemInfo::View {

class CItemsTreeControl : public QTreeView {
    Q_OBJECT

public:
    explicit CItemsTreeControl(QWidget* parent = nullptr);

    // Tab and Shift+Tab go to the handler first; when it answers false (or there is none) the
    // focus moves along the focus chain as usual.
    void SetTabHandler(std::function<bool()> handler) { m_tabHandler = std::move(handler); }

    // The item whose icon or label is at a point of the viewport; invalid for blank space.
    QModelIndex ItemAt(const QPoint& viewportPos) const;

signals:
    // A right click at a point of the viewport.
    void contextMenuAtPoint(QPoint viewportPos);
    // The keyboard asked for the context menu of the current item.
    void contextMenuForCurrent();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    std::function<bool()> m_tabHandler;
};

}  // namespace STreeItemInfo::View
