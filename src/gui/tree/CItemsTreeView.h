// The left pane of the main window: the tree of tokens, containers and keys without its root.
// It keeps one item per node handle, fills a level when it is opened, merges fresh
// enumerations into what is shown (expanded branches and the selection survive), tells the
// frame which node is selected, opens the nodes' context menus, and synchronises parts of the
// tree when the frame or an observer message asks.
#pragma once

#include <QModelIndex>
#include <memory>
#include <vector>

#include "gui/widgets/CALRResizeableFormView.h"
#include "program/core/sdp/COwnedReceiver.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/tree/ITreeItemInfo.h"
#include "program/tree/ITreePane.h"
#include "program/ui/CFrameFacade.h"

class QItemSelection;

namespace STreeItemInfo::View {
class CItemsTreeControl;
class CTreeItemsModel;
struct CTreeItem;
}  // namespace STreeItemInfo::View

class CItemsTreeView : public CALRResizeableFormView, public STreeItemInfo::ITreePane {
    Q_OBJECT

public:
    using NodePtr = STreeItemInfo::ITreeItemInfoPtr;
    using Node = STreeItemInfo::ITreeItemInfo;

    // The help topic of the view.
    static constexpr const char* kHelpTopic = "4_ObjectSelection.html";

    // The root node is a CRootItem made with the facade.
    explicit CItemsTreeView(CFrameFacadePtr facade, QWidget* parent = nullptr);
    // The tree shows the children of the given root node instead.
    CItemsTreeView(CFrameFacadePtr facade, NodePtr rootNode, QWidget* parent = nullptr);
    ~CItemsTreeView() override;
    CItemsTreeView(const CItemsTreeView&) = delete;
    CItemsTreeView& operator=(const CItemsTreeView&) = delete;

    // The operations the frame passes through to the view.

    // The node of the selected item, or null.
    NodePtr SelectedNode() const override;
    // Selects the item that holds exactly this node (depth-first from the top level); nothing
    // when no item does.
    void SelectNode(const Node* node) override;
    // Merges a fresh enumeration of the node's children (the top level when null) into the
    // tree, unless the level was never opened; then selects the first top-level item when
    // nothing is selected.
    void SynchroniseChildren(const Node* node = nullptr) override;
    // Merges again every opened level below the node (the top level when null).
    void ResynchroniseTree(const Node* node = nullptr) override;
    // The handles of the node's current child items (the top level when null).
    void ChildNodes(const Node* node, std::vector<NodePtr>& out) const override;
    // Shows the label and image of the node's item again; nothing when no item holds it.
    void RedrawNode(const Node* node);
    // The node's children, its level opened first as a click on its expander would.
    std::vector<NodePtr> OpenChildren(const Node* node) override;

    // Shows the selected node again, in the current interface language; the default right
    // pane when nothing is selected. The frame calls it when the language changes.
    void OnLanguageChanged();

    // Observer messages from the frame's hub.
    void OnMessage(const STreeItemInfo::CContainerItemInfoMsg& msg);
    void OnMessage(const STreeItemInfo::CTokenLevelUpdateNeededMsg& msg);

    const NodePtr& RootNode() const { return m_rootNode; }
    QWidget* TreeControl() const;

protected:
    bool event(QEvent* e) override;
    // Anchors the tree control to grow with the view in both directions.
    void OnInitialUpdate() override;

private:
    using Item = STreeItemInfo::View::CTreeItem;

    void BuildForm();
    void ConnectTree();
    void AttachReceivers();

    Item* SelectedItem() const;
    void SelectItem(Item* item);
    Item* FindTokenItem(const std::wstring& readerName) const;

    void SynchroniseItem(Item* item);
    void ResynchroniseItem(Item* item);
    void RemoveChildrenExcept(const NodePtr& parentNode, const std::vector<NodePtr>& keep);
    void RefreshChildren(Item* item);
    void RemoveItem(Item* parent, int row);
    void PostSynchronise(Item* item);
    void PostCheckEmpty();

    void OnExpanding(const QModelIndex& index);
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void OnContextMenuAt(const QModelIndex& index, const QPoint& viewportPos);
    void SendSelected(Node* node, bool selected);
    void ShowOperation(const std::wstring& text);
    void EndOperation(const Node* container);

    using ContainerReceiver =
        SDP::SOBSERVER::COwnedReceiver<CItemsTreeView, STreeItemInfo::CContainerItemInfoMsg,
                                       STreeItemInfo::CTreeThreadModel>;
    using TokenLevelReceiver =
        SDP::SOBSERVER::COwnedReceiver<CItemsTreeView, STreeItemInfo::CTokenLevelUpdateNeededMsg,
                                       STreeItemInfo::CTreeThreadModel>;

    CFrameFacadePtr m_facade;
    ContainerReceiver m_containerReceiver;
    TokenLevelReceiver m_tokenLevelReceiver;
    NodePtr m_rootNode;
    STreeItemInfo::View::CTreeItemsModel* m_model = nullptr;
    STreeItemInfo::View::CItemsTreeControl* m_tree = nullptr;
    bool m_emptyCheckPending = false;
};
