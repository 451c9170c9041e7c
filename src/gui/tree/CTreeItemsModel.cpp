#include "gui/tree/CTreeItemsModel.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>

#include "program/tree/CEmptyItem.h"

namespace STreeItemInfo::View {

namespace {

// Sort key of an item: its node's path, or nothing when it has no usable node.
std::optional<std::wstring> PathKey(const CTreeItem* item) {
    ITreeItemInfo* node = CTreeItemsModel::NodeOf(item);
    if (node == nullptr) {
        return std::nullopt;
    }
    try {
        return node->GetPath();
    } catch (...) {
        return std::nullopt;
    }
}

bool PathLess(const std::optional<std::wstring>& a, const std::optional<std::wstring>& b) {
    if (!a || !b) {
        return !a && b;
    }
    // std::wstring compares code unit by code unit.
    return *a < *b;
}

}  // namespace

CTreeItemsModel::CTreeItemsModel(ITreeItemInfoPtr rootNode, QObject* parent)
    : QAbstractItemModel(parent),
      m_root(std::make_unique<CTreeItem>(nullptr, std::move(rootNode))) {}

CTreeItemsModel::~CTreeItemsModel() = default;

QModelIndex CTreeItemsModel::index(int row, int column, const QModelIndex& parent) const {
    const CTreeItem* parentItem = ItemOf(parent);
    if (parentItem == nullptr || column != 0 || row < 0 ||
        row >= static_cast<int>(parentItem->children.size())) {
        return {};
    }
    return createIndex(row, column, parentItem->children[static_cast<std::size_t>(row)].get());
}

QModelIndex CTreeItemsModel::parent(const QModelIndex& child) const {
    const CTreeItem* item = child.isValid() ? ItemOf(child) : nullptr;
    if (item == nullptr) {
        return {};
    }
    return IndexOf(item->parent);
}

int CTreeItemsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    const CTreeItem* item = ItemOf(parent);
    return item != nullptr ? static_cast<int>(item->children.size()) : 0;
}

int CTreeItemsModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CTreeItemsModel::data(const QModelIndex& index, int role) const {
    const CTreeItem* item = index.isValid() ? ItemOf(index) : nullptr;
    if (item == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return Label(item);
        case Qt::DecorationRole:
            return Decoration(item);
        case Qt::FontRole:
            if (item->bold) {
                QFont font = m_baseFont;
                font.setBold(true);
                return font;
            }
            return {};
        default:
            return {};
    }
}

QVariant CTreeItemsModel::Label(const CTreeItem* item) const {
    if (item->node == nullptr) {
        return {};
    }
    try {
        std::wstring text = item->node->GetDisplayText();
        if (text.size() > static_cast<std::size_t>(kMaxLabelLength)) {
            text.resize(static_cast<std::size_t>(kMaxLabelLength));
        }
        return QString::fromStdWString(text);
    } catch (...) {
        return {};
    }
}

QVariant CTreeItemsModel::Decoration(const CTreeItem* item) const {
    ITreeItemInfo* node = NodeOf(item);
    if (node == nullptr) {
        return {};
    }
    try {
        QIcon icon = m_images.IconOf(node->GetImage());
        const int selectedId = node->GetSelectedImage();
        if (selectedId != node->GetImage()) {
            const QIcon selected = m_images.IconOf(selectedId);
            for (const QSize& size : selected.availableSizes()) {
                icon.addPixmap(selected.pixmap(size), QIcon::Selected);
            }
            if (selected.availableSizes().isEmpty() && !selected.isNull()) {
                icon.addPixmap(selected.pixmap(CTreeImageList::kImageSize), QIcon::Selected);
            }
        }
        if (icon.isNull()) {
            return {};
        }
        return icon;
    } catch (...) {
        return {};
    }
}

CTreeItem* CTreeItemsModel::ItemOf(const QModelIndex& index) const {
    if (!index.isValid()) {
        return m_root.get();
    }
    if (index.model() != this) {
        return nullptr;
    }
    return static_cast<CTreeItem*>(index.internalPointer());
}

QModelIndex CTreeItemsModel::IndexOf(const CTreeItem* item) const {
    if (item == nullptr || item->parent == nullptr) {
        return {};
    }
    const int row = item->Row();
    if (row < 0) {
        return {};
    }
    return createIndex(row, 0, const_cast<CTreeItem*>(item));
}

ITreeItemInfo* CTreeItemsModel::NodeOf(const CTreeItem* item) {
    if (item == nullptr || item->node == nullptr) {
        return nullptr;
    }
    try {
        (void)item->node->GetDisplayText();
    } catch (...) {
        return nullptr;
    }
    return item->node.get();
}

CTreeItem* CTreeItemsModel::FindItem(const ITreeItemInfo* node) const {
    if (node == nullptr) {
        return nullptr;
    }
    if (m_root->node.get() == node) {
        return m_root.get();
    }
    std::vector<CTreeItem*> pending;
    for (auto it = m_root->children.rbegin(); it != m_root->children.rend(); ++it) {
        pending.push_back(it->get());
    }
    while (!pending.empty()) {
        CTreeItem* item = pending.back();
        pending.pop_back();
        if (item->node.get() == node) {
            return item;
        }
        for (auto it = item->children.rbegin(); it != item->children.rend(); ++it) {
            pending.push_back(it->get());
        }
    }
    return nullptr;
}

CTreeItem* CTreeItemsModel::InsertNode(CTreeItem* parent, ITreeItemInfoPtr node) {
    if (parent == nullptr || node == nullptr) {
        return nullptr;
    }
    CTreeItem* item = AppendItem(parent, std::move(node));
    if (item->node->HasChilds()) {
        AppendItem(item, std::make_shared<CEmptyItem>());
    }
    return item;
}

CTreeItem* CTreeItemsModel::AppendItem(CTreeItem* parent, ITreeItemInfoPtr node) {
    const int row = static_cast<int>(parent->children.size());
    beginInsertRows(IndexOf(parent), row, row);
    parent->children.push_back(std::make_unique<CTreeItem>(parent, std::move(node)));
    CTreeItem* item = parent->children.back().get();
    try {
        item->bold = item->node->IsBold();
    } catch (...) {
        item->bold = false;
    }
    endInsertRows();
    item->node->SetTreeItem(this, item);
    return item;
}

void CTreeItemsModel::RemoveChild(CTreeItem* parent, int row) {
    if (parent == nullptr || row < 0 || row >= static_cast<int>(parent->children.size())) {
        return;
    }
    beginRemoveRows(IndexOf(parent), row, row);
    // The subtree leaves the tree before its nodes die, so that nothing they do on the way out
    // meets a half-removed item.
    std::unique_ptr<CTreeItem> removed = std::move(parent->children[static_cast<std::size_t>(row)]);
    parent->children.erase(parent->children.begin() + row);
    endRemoveRows();
}

void CTreeItemsModel::SetBold(CTreeItem* item, bool bold) {
    if (item == nullptr || item->bold == bold) {
        return;
    }
    item->bold = bold;
    const QModelIndex index = IndexOf(item);
    if (index.isValid()) {
        emit dataChanged(index, index, {Qt::FontRole});
    }
}

void CTreeItemsModel::Redraw(CTreeItem* item) {
    const QModelIndex index = IndexOf(item);
    if (index.isValid()) {
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::DecorationRole});
    }
}

void CTreeItemsModel::SortChildren(CTreeItem* parent) {
    if (parent == nullptr || parent->children.size() < 2) {
        return;
    }
    auto& children = parent->children;
    std::vector<std::optional<std::wstring>> keys;
    keys.reserve(children.size());
    for (const auto& child : children) {
        keys.push_back(PathKey(child.get()));
    }
    std::vector<std::size_t> order(children.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return PathLess(keys[a], keys[b]); });
    if (std::is_sorted(order.begin(), order.end())) {
        return;
    }

    const QPersistentModelIndex parentIndex(IndexOf(parent));
    emit layoutAboutToBeChanged({parentIndex}, QAbstractItemModel::VerticalSortHint);
    std::vector<std::unique_ptr<CTreeItem>> sorted;
    sorted.reserve(children.size());
    for (std::size_t from : order) {
        sorted.push_back(std::move(children[from]));
    }
    children = std::move(sorted);

    // Persistent indexes (expansion, selection, current item) follow their items.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        auto* item = static_cast<CTreeItem*>(index.internalPointer());
        after.push_back(item->parent == parent ? createIndex(item->Row(), index.column(), item)
                                               : index);
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({parentIndex}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace STreeItemInfo::View
