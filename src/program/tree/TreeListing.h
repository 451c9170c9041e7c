// The tree as the tree view shows it, without a window: every node below a root, depth first,
// each level sorted as the view sorts it (by GetPath, code unit by code unit).
#pragma once

#include <string>
#include <vector>

#include "program/tree/ITreeItemInfo.h"

namespace STreeItemInfo {

struct CListedNode {
    int depth = 0;  // 0 for the root's children
    std::wstring label;
    std::wstring path;
};

// Appends the root's descendants. A node whose label cannot be read is left out with its
// subtree; a node whose children cannot be read keeps its line and gets none.
void ListTree(ITreeItemInfo& root, std::vector<CListedNode>& out);

// The children of a node in the view's order; an enumeration that fails gives none.
std::vector<ITreeItemInfoPtr> SortedChildren(ITreeItemInfo& node);

}  // namespace STreeItemInfo
