#include "TreeViewTestFrame.h"

#include "program/tree/CCertTree.h"
#include "program/tree/CUpdateRequest.h"
#include "program/tree/ITreeItemInfo.h"

namespace treeviewtest {

TestFrame::TestFrame() : m_facade(std::make_shared<CFrameFacade>(this)) {
    m_selectedReceiver.SetOwner(this);
    m_enumingReceiver.SetOwner(this);
    m_hub.itemInTheTreeSelected.Attach(m_selectedReceiver);
    m_hub.itemChildsEnuming.Attach(m_enumingReceiver);
}

TestFrame::~TestFrame() {
    m_selectedReceiver.SetOwner(nullptr);
    m_enumingReceiver.SetOwner(nullptr);
    m_facade->Detach();
}

void TestFrame::Refresh() {
    SVKCERTTREE::CCertTreePtr()->Reset();
    const NodePtr selected = SelectedNode();
    const std::wstring path = selected != nullptr ? selected->GetPath() : std::wstring();
    ResynchroniseTree(nullptr);
    if (const NodePtr found = FindByPath(path)) {
        SelectNode(found.get());
        found->OnUpdate(STreeItemInfo::CUpdateRequest{STreeItemInfo::kUpdateSelected});
    }
}

void TestFrame::DeviceChange() {
    SVKCERTTREE::CCertTreePtr()->Resynchronise();
    SynchroniseChildren(nullptr);
}

TestFrame::NodePtr TestFrame::FindByPath(const std::wstring& path) {
    return FindByPathBelow(nullptr, path);
}

TestFrame::NodePtr TestFrame::FindByPathBelow(const Node* node, const std::wstring& path) {
    std::vector<NodePtr> children;
    ChildNodes(node, children);
    for (const NodePtr& child : children) {
        if (child->IsEmpty()) {
            continue;
        }
        if (child->GetPath() == path) {
            return child;
        }
        if (NodePtr found = FindByPathBelow(child.get(), path)) {
            return found;
        }
    }
    return nullptr;
}

int TestFrame::EnumerationsOf(const std::wstring& path) const {
    int count = 0;
    for (const EnumRecord& record : enumerations) {
        count += record.code == 1 && record.path == path ? 1 : 0;
    }
    return count;
}

TestFrame::NodePtr TestFrame::SelectedNode() {
    return m_view != nullptr ? m_view->SelectedNode() : nullptr;
}

void TestFrame::SelectNode(const Node* node) {
    if (m_view != nullptr) {
        m_view->SelectNode(node);
    }
}

void TestFrame::ResynchroniseTree(const Node* node) {
    if (m_view != nullptr) {
        m_view->ResynchroniseTree(node);
    }
}

void TestFrame::SynchroniseChildren(const Node* node) {
    if (m_view != nullptr) {
        m_view->SynchroniseChildren(node);
    }
}

void TestFrame::ChildNodes(const Node* node, std::vector<NodePtr>& out) {
    if (m_view != nullptr) {
        m_view->ChildNodes(node, out);
    }
}

IRightView* TestFrame::ReplaceRightView(ERightViewKind kind) {
    rightViews.push_back(kind);
    m_rightView = std::make_unique<RecordingRightView>(kind);
    return m_rightView.get();
}

void TestFrame::RouteCommand(UINT commandId) {
    const NodePtr node = SelectedNode();
    if (node != nullptr && node->IsCommandEnabled(commandId)) {
        node->OnCommand(commandId);
    }
}

void TestFrame::OnMessage(const SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg& msg) {
    selections.push_back(
        SelectionRecord{msg.node != nullptr ? msg.node->GetPath() : std::wstring(), msg.selected});
}

void TestFrame::OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg) {
    if (msg.node != nullptr) {
        enumerations.push_back(EnumRecord{msg.code, msg.node->GetClassName(), msg.node->GetPath()});
    }
}

}  // namespace treeviewtest
