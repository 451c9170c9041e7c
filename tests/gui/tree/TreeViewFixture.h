// The ground of the tree view tests: a virtual token world, the scripted UI, the certificate
// tree, the fake frame with its tree pane operations handed to the view, and the view itself,
// shown offscreen; helpers that find items by path and read what the tree shows.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTreeView>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gui/tree/CItemsTreeView.h"
#include "gui/tree/CTreeItemsModel.h"
#include "program/token/TokenTestWorld.h"
#include "program/tree/CCertTree.h"
#include "support/FakeFrame.h"
#include "support/ScriptedUi.h"
#include "support/gui/QtApp.h"

namespace treeviewtest {

using vktest::Log;

inline void Pump() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// The fake frame whose tree pane is the view under test.
class TreeFrame final : public vktest::FakeFrame {
public:
    using Node = STreeItemInfo::ITreeItemInfo;

    CItemsTreeView* view = nullptr;

    bool HasTreeView() const override { return view != nullptr; }
    NodePtr SelectedNode() override { return view ? view->SelectedNode() : nullptr; }
    void SelectNode(const Node* node) override { view ? view->SelectNode(node) : void(); }
    void ResynchroniseTree(const Node* node) override {
        view ? view->ResynchroniseTree(node) : void();
    }
    void SynchroniseChildren(const Node* node) override {
        view ? view->SynchroniseChildren(node) : void();
    }
    void ChildNodes(const Node* node, std::vector<NodePtr>& out) override {
        view ? view->ChildNodes(node, out) : void();
    }
    // How many times the node of that path began to enumerate its children.
    int Enumerations(const char* path) const {
        return static_cast<int>(std::ranges::count(events, std::string("enum 1 ") + path));
    }
};

class TreeViewFixture : public ::testing::Test {
protected:
    using NodePtr = STreeItemInfo::ITreeItemInfoPtr;

    // Reader B holds "Beta Token" with containers zeta (an exchange key with a certificate),
    // alpha (the default: both keys with certificates) and Mid (an exchange key without one);
    // Reader A holds "Alpha Token" with container one; Reader C is empty. The readers are made
    // in the order B, A, C.
    void SetUp() override {
        vktest::QtApp();
        world.AddReader("Reader B");
        world.MakeToken("Beta Token", {}, "Reader B");
        world.AddContainer("Beta Token", "zeta", {1});
        world.AddContainer("Beta Token", "alpha", {1, 2}, {{"CN", "Alice"}}, true);
        world.AddContainer("Beta Token", "Mid", {1}, {});
        world.AddReader("Reader A");
        world.MakeToken("Alpha Token", {}, "Reader A");
        world.AddContainer("Alpha Token", "one", {1, 2});
        world.AddReader("Reader C");
    }

    // The view as the frame makes it; the frame fills the top level when it is ready.
    void MakeView(bool fill = true) {
        view = std::make_unique<CItemsTreeView>(frame.Facade());
        frame.view = view.get();
        view->resize(480, 600);
        view->show();
        if (fill) {
            frame.SynchroniseChildren(nullptr);
        }
        Pump();
    }

    QTreeView* Tree() const { return static_cast<QTreeView*>(view->TreeControl()); }
    STreeItemInfo::View::CTreeItemsModel* Model() const {
        return static_cast<STreeItemInfo::View::CTreeItemsModel*>(Tree()->model());
    }
    NodePtr NodeAt(const QModelIndex& index) const {
        const auto* item = Model()->ItemOf(index);
        return item != nullptr ? item->node : nullptr;
    }

    // The item whose node has this path (placeholders are never found).
    QModelIndex IndexOf(const std::wstring& path, const QModelIndex& parent = {}) const {
        for (int row = 0; row < Model()->rowCount(parent); ++row) {
            const QModelIndex index = Model()->index(row, 0, parent);
            const NodePtr node = NodeAt(index);
            if (node != nullptr && !node->IsEmpty() && node->GetPath() == path) {
                return index;
            }
            const QModelIndex below = IndexOf(path, index);
            if (below.isValid()) {
                return below;
            }
        }
        return {};
    }

    // The paths of an item's children in the order shown; "<placeholder>" for a placeholder.
    std::vector<std::wstring> ChildPaths(const QModelIndex& parent = {}) const {
        std::vector<std::wstring> paths;
        for (int row = 0; row < Model()->rowCount(parent); ++row) {
            const NodePtr node = NodeAt(Model()->index(row, 0, parent));
            paths.push_back(node == nullptr   ? L"<none>"
                            : node->IsEmpty() ? L"<placeholder>"
                                              : node->GetPath());
        }
        return paths;
    }

    std::wstring Label(const QModelIndex& index) const {
        return Model()->data(index, Qt::DisplayRole).toString().toStdWString();
    }

    bool IsBold(const QModelIndex& index) const {
        const QVariant font = Model()->data(index, Qt::FontRole);
        return font.isValid() && font.value<QFont>().bold();
    }

    std::wstring SelectedPath() const {
        const NodePtr node = view->SelectedNode();
        return node != nullptr ? node->GetPath() : L"<nothing>";
    }

    void Select(const QModelIndex& index) {
        Tree()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        Pump();
    }

    void Expand(const std::wstring& path) {
        Tree()->expand(IndexOf(path));
        Pump();
    }

    tokentest::TokenTestWorld world;
    vktest::ScriptedUi ui;
    SVKCERTTREE::CCertTreePtr certTree;
    TreeFrame frame;
    std::unique_ptr<CItemsTreeView> view;
};

}  // namespace treeviewtest
