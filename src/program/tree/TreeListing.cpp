#include "program/tree/TreeListing.h"

#include <algorithm>
#include <optional>

namespace STreeItemInfo {

namespace {

std::optional<std::wstring> ReadLabel(ITreeItemInfo& node) {
    try {
        return node.GetDisplayText();
    } catch (...) {
        return std::nullopt;
    }
}

void ListChildren(ITreeItemInfo& node, int depth, std::vector<CListedNode>& out) {
    for (const ITreeItemInfoPtr& child : SortedChildren(node)) {
        std::optional<std::wstring> label = ReadLabel(*child);
        if (!label) {
            continue;
        }
        out.push_back(CListedNode{depth, std::move(*label), child->GetPath()});
        if (child->HasChilds()) {
            ListChildren(*child, depth + 1, out);
        }
    }
}

}  // namespace

std::vector<ITreeItemInfoPtr> SortedChildren(ITreeItemInfo& node) {
    std::vector<ITreeItemInfoPtr> children;
    try {
        node.EnumChilds(children);
    } catch (...) {
        children.clear();
    }
    std::erase_if(children, [](const ITreeItemInfoPtr& child) {
        return child == nullptr || child->IsEmpty();
    });
    // Paths compare code unit by code unit, as std::wstring does.
    std::stable_sort(children.begin(), children.end(),
                     [](const ITreeItemInfoPtr& a, const ITreeItemInfoPtr& b) {
                         return a->GetPath() < b->GetPath();
                     });
    return children;
}

void ListTree(ITreeItemInfo& root, std::vector<CListedNode>& out) {
    ListChildren(root, 0, out);
}

}  // namespace STreeItemInfo
