// A virtual token world with the tree around it: the scripted UI, the fake frame and a holder
// of the certificate tree that lives as long as the test (so the tree is fresh per test and
// gone before the world's caches are torn down).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TokenTestWorld.h"
#include "platform/cert/CertApi.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CRootItem.h"
#include "program/tree/TreeListing.h"
#include "res/resource.h"
#include "support/FakeFrame.h"
#include "support/PersonalStore.h"
#include "support/ScriptedUi.h"

namespace treetest {

using vktest::Log;
using NodePtr = STreeItemInfo::ITreeItemInfoPtr;

class TreeWorld {
public:
    tokentest::TokenTestWorld tokens;
    vktest::ScriptedUi ui;
    vktest::FakeFrame frame;
    SVKCERTTREE::CCertTreePtr tree;

    std::shared_ptr<STreeItemInfo::CRootItem> Root() {
        return std::make_shared<STreeItemInfo::CRootItem>(frame.Facade());
    }

    // The children as the tree view shows them (sorted by path).
    static std::vector<NodePtr> Children(STreeItemInfo::ITreeItemInfo& node) {
        return STreeItemInfo::SortedChildren(node);
    }

    // The node whose path is `path`, searched below the root; null when there is none.
    NodePtr Node(const std::wstring& path) { return Find(*Root(), path); }

    // Puts the certificate into the user's personal store; the tree reads the state afresh.
    void Register(const std::vector<BYTE>& der) {
        vktest::AddToPersonalStore(der);
        tree->Reset();
    }

    static std::vector<std::wstring> Paths(const std::vector<NodePtr>& nodes) {
        std::vector<std::wstring> paths;
        for (const auto& node : nodes) {
            paths.push_back(node->GetPath());
        }
        return paths;
    }

private:
    static NodePtr Find(STreeItemInfo::ITreeItemInfo& node, const std::wstring& path) {
        for (const auto& child : Children(node)) {
            if (child->GetPath() == path) {
                return child;
            }
            if (path.starts_with(child->GetPath() + L"\\")) {
                return Find(*child, path);
            }
        }
        return nullptr;
    }
};

}  // namespace treetest
