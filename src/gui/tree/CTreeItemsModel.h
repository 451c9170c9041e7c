// The items of the tree view as a Qt item model. Items hold node handles only: the label, the
// icon and the font are asked of the node whenever the view paints them.
#pragma once

#include <QAbstractItemModel>
#include <QFont>
#include <memory>

#include "gui/tree/CTreeImageList.h"
#include "gui/tree/CTreeItem.h"
#include "program/tree/ITreeItemInfo.h"

namespace STreeItemInfo::View {

class CTreeItemsModel : public QAbstractItemModel {
    Q_OBJECT

public:
    // Labels are cut to this many characters.
    static constexpr int kMaxLabelLength = 1023;

    explicit CTreeItemsModel(ITreeItemInfoPtr rootNode, QObject* parent = nullptr);
    ~CTreeItemsModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The font bold items are drawn in a bold variant of.
    void SetBaseFont(const QFont& font) { m_baseFont = font; }
    const CTreeImageList& Images() const { return m_images; }

    // The virtual root (the tree's invisible top) and the item behind an index.
    CTreeItem* Root() const { return m_root.get(); }
    CTreeItem* ItemOf(const QModelIndex& index) const;
    // The index of an item; invalid for the virtual root and for no item.
    QModelIndex IndexOf(const CTreeItem* item) const;

    // The node of an item: null for no item, and null when the node cannot produce its label.
    static ITreeItemInfo* NodeOf(const CTreeItem* item);
    // The item that holds exactly this node, searched depth-first from the top level; the
    // virtual root for the root node; null when none does.
    CTreeItem* FindItem(const ITreeItemInfo* node) const;

    // Appends an item for the node under `parent`, bold as the node says, with a placeholder
    // child when the node may have children. Answers the new item.
    CTreeItem* InsertNode(CTreeItem* parent, ITreeItemInfoPtr node);
    // Deletes a child item with its subtree; the nodes go with their last handle.
    void RemoveChild(CTreeItem* parent, int row);
    void SetBold(CTreeItem* item, bool bold);
    // Has the views ask the item's label and icon again.
    void Redraw(CTreeItem* item);
    // Orders the children by their nodes' paths, code unit by code unit; items without a node
    // come first. Expansion and selection follow the items.
    void SortChildren(CTreeItem* parent);

private:
    CTreeItem* AppendItem(CTreeItem* parent, ITreeItemInfoPtr node);
    QVariant Label(const CTreeItem* item) const;
    QVariant Decoration(const CTreeItem* item) const;

    std::unique_ptr<CTreeItem> m_root;
    CTreeImageList m_images;
    QFont m_baseFont;
};

}  // namespace STreeItemInfo::View
