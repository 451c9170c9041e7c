// A virtual token world with the tree around it: the scripted UI, the test frame and a holder
// of the certificate tree that lives as long as the test (so the tree is fresh per test and
// gone before the world's caches are torn down).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TokenTestWorld.h"
#include "TreeTestFrame.h"
#include "support/ScriptedUi.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CRootItem.h"
#include "program/tree/TreeListing.h"

namespace treetest {

class TreeWorld {
public:
    tokentest::TokenTestWorld tokens;
    vktest::ScriptedUi ui;
    TreeTestFrame frame{ui};
    SVKCERTTREE::CCertTreePtr tree;

    std::shared_ptr<STreeItemInfo::CRootItem> Root() {
        return std::make_shared<STreeItemInfo::CRootItem>(frame.Facade());
    }

    // The children as the tree view shows them (sorted by path).
    static std::vector<STreeItemInfo::ITreeItemInfoPtr> Children(
        STreeItemInfo::ITreeItemInfo& node) {
        return STreeItemInfo::SortedChildren(node);
    }

    // The child whose path is `path`, searched below the root; null when there is none.
    STreeItemInfo::ITreeItemInfoPtr Node(const std::wstring& path) { return Find(*Root(), path); }

    static std::vector<std::wstring> Paths(
        const std::vector<STreeItemInfo::ITreeItemInfoPtr>& nodes) {
        std::vector<std::wstring> paths;
        for (const auto& node : nodes) {
            paths.push_back(node->GetPath());
        }
        return paths;
    }

private:
    static STreeItemInfo::ITreeItemInfoPtr Find(STreeItemInfo::ITreeItemInfo& node,
                                                const std::wstring& path) {
        for (const auto& child : Children(node)) {
            if (child->GetPath() == path) {
                return child;
            }
            if (path.rfind(child->GetPath() + L"\\", 0) == 0) {
                return Find(*child, path);
            }
        }
        return nullptr;
    }
};

}  // namespace treetest
