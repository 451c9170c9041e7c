// The tree pane as the program's logic sees it: the items shown, the selection, and the merging
// of fresh enumerations into them. The tree view implements it.
#pragma once

#include <vector>

#include "program/tree/ITreeItemInfo.h"

namespace STreeItemInfo {

class ITreePane {
public:
    using NodePtr = ITreeItemInfoPtr;
    using Node = ITreeItemInfo;

    virtual ~ITreePane() = default;

    // The node of the selected item, or null.
    virtual NodePtr SelectedNode() const = 0;
    // Selects the item of exactly this node, opening the levels above it.
    virtual void SelectNode(const Node* node) = 0;
    // Merges a fresh enumeration of the node's children (the top level when null).
    virtual void SynchroniseChildren(const Node* node) = 0;
    // Merges again every opened level below the node (the top level when null).
    virtual void ResynchroniseTree(const Node* node) = 0;
    // The node's current children (the top level when null).
    virtual void ChildNodes(const Node* node, std::vector<NodePtr>& out) const = 0;
    // The node's children, its level opened first when it never was.
    virtual std::vector<NodePtr> OpenChildren(const Node* node) = 0;
};

}  // namespace STreeItemInfo
