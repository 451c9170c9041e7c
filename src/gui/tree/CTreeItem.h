// One item of the tree view: the handle of the node it shows, its bold state and its child
// items. Items own their children; the node dies with the last item that holds it.
#pragma once

#include <memory>
#include <vector>

#include "program/tree/ITreeItemInfo.h"

namespace STreeItemInfo::View {

struct CTreeItem {
    CTreeItem(CTreeItem* parentItem, ITreeItemInfoPtr itemNode)
        : parent(parentItem), node(std::move(itemNode)) {}

    CTreeItem(const CTreeItem&) = delete;
    CTreeItem& operator=(const CTreeItem&) = delete;

    // The position among the parent's children; 0 for the virtual root.
    int Row() const {
        if (parent == nullptr) {
            return 0;
        }
        for (std::size_t i = 0; i < parent->children.size(); ++i) {
            if (parent->children[i].get() == this) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    CTreeItem* FirstChild() const { return children.empty() ? nullptr : children.front().get(); }

    // A placeholder stands for children that were never enumerated.
    bool HasPlaceholder() const {
        const CTreeItem* first = FirstChild();
        return first != nullptr && first->node != nullptr && first->node->IsEmpty();
    }

    CTreeItem* parent;
    ITreeItemInfoPtr node;
    bool bold = false;
    std::vector<std::unique_ptr<CTreeItem>> children;
};

}  // namespace STreeItemInfo::View
