#include "gui/tree/CItemsTreeView.h"

#include <QItemSelectionModel>
#include <optional>
#include <unordered_set>

#include "gui/help/HelpTopics.h"
#include "gui/resources/LangDialogBuilder.h"
#include "gui/resources/LanguageEvents.h"
#include "gui/tree/CItemsTreeControl.h"
#include "gui/tree/CTreeItemsModel.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/tree/CRootItem.h"
#include "program/tree/CUpdateRequest.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

using STreeItemInfo::CContainerItemInfoMsg;
using STreeItemInfo::CTokenLevelUpdateNeededMsg;
using STreeItemInfo::CUpdateRequest;
using STreeItemInfo::View::CItemsTreeControl;
using STreeItemInfo::View::CTreeItemsModel;

namespace {

// The right pane's view when no node is shown.
constexpr ERightViewKind kDefaultRightView = ERightViewKind::TokenInfo;

// Node code runs from Qt's event handlers, which must not see an exception.
template <typename F>
void Guarded(F&& f) {
    try {
        f();
    } catch (...) {
    }
}

std::optional<std::wstring> PathOf(const STreeItemInfo::ITreeItemInfo* node) {
    if (node == nullptr) {
        return std::nullopt;
    }
    try {
        return node->GetPath();
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

CItemsTreeView::CItemsTreeView(CFrameFacadePtr facade, QWidget* parent)
    : CItemsTreeView(std::move(facade), nullptr, parent) {}

CItemsTreeView::CItemsTreeView(CFrameFacadePtr facade, NodePtr rootNode, QWidget* parent)
    : CALRResizeableFormView(IDD_TREE_VIEW, 0, parent),
      m_facade(facade != nullptr ? std::move(facade) : std::make_shared<CFrameFacade>()),
      m_rootNode(rootNode != nullptr ? std::move(rootNode)
                                     : std::make_shared<STreeItemInfo::CRootItem>(m_facade)) {
    // The tree scrolls itself: the form around it never does.
    FollowViewSize();
    BuildForm();
    ConnectTree();
    AttachReceivers();
}

CItemsTreeView::~CItemsTreeView() {
    m_containerReceiver.SetOwner(nullptr);
    m_tokenLevelReceiver.SetOwner(nullptr);
    // The control goes before the items, so that no selection change reaches a node on the way.
    m_tree->selectionModel()->disconnect(this);
    m_tree->disconnect(this);
    delete m_tree;
    m_tree = nullptr;
    delete m_model;
    m_model = nullptr;
}

void CItemsTreeView::BuildForm() {
    // The template's tree control gives way to ours, in the same place; without a template the
    // tree takes the whole form.
    QWidget* designed = Control(IDC_TREE);
    const QRect place = designed != nullptr ? designed->geometry() : QRect(QPoint(0, 0), size());
    delete designed;
    m_tree = new CItemsTreeControl(Form());
    m_tree->setGeometry(place);
    m_tree->setObjectName(CLangDialogBuilder::ObjectName(IDC_TREE));
    m_tree->setProperty(CLangDialogBuilder::kIdProperty, static_cast<uint>(IDC_TREE));
    setFocusProxy(m_tree);
    // F1 in the view shows its topic.
    setProperty(SHTMLHelper::kHelpTopicProperty, QString::fromLatin1(kHelpTopic));

    m_model = new CTreeItemsModel(m_rootNode, this);
    m_model->SetBaseFont(m_tree->font());
    m_tree->setModel(m_model);
    m_tree->setIconSize(STreeItemInfo::View::CTreeImageList::kImageSize);
}

void CItemsTreeView::OnInitialUpdate() {
    CALRResizeableFormView::OnInitialUpdate();
    if (!AddSizedControl(m_tree, CSizingAnchors::kStretch, CSizingAnchors::kStretch)) {
        // No natural size to grow from: the tree simply fills the form.
        m_tree->setGeometry(Form()->rect());
    }
}

void CItemsTreeView::ConnectTree() {
    connect(m_tree, &QTreeView::expanded, this, &CItemsTreeView::OnExpanding);
    connect(m_tree, &QTreeView::collapsed, this, &CItemsTreeView::OnExpanding);
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CItemsTreeView::OnSelectionChanged);
    connect(m_tree, &CItemsTreeControl::contextMenuAtPoint, this,
            [this](QPoint pos) { OnContextMenuAt(m_tree->ItemAt(pos), pos); });
    connect(m_tree, &CItemsTreeControl::contextMenuForCurrent, this, [this] {
        const QModelIndex index = m_model->IndexOf(SelectedItem());
        if (!index.isValid()) {
            return;
        }
        m_tree->scrollTo(index);
        const QRect rect = m_tree->visualRect(index);
        OnContextMenuAt(index, QPoint(rect.left() + rect.height() / 2, rect.center().y()));
    });
    m_tree->SetTabHandler([this] {
        if (m_facade->Frame() == nullptr) {
            return false;
        }
        m_facade->ActivateOtherPane();
        return true;
    });
}

void CItemsTreeView::AttachReceivers() {
    m_containerReceiver.SetOwner(this);
    m_tokenLevelReceiver.SetOwner(this);
    if (STreeItemInfo::CTreeMessageHub* hub = m_facade->MessageHub()) {
        hub->containerItemInfo.Attach(m_containerReceiver);
        hub->tokenLevelUpdateNeeded.Attach(m_tokenLevelReceiver);
    }
}

QWidget* CItemsTreeView::TreeControl() const {
    return m_tree;
}

bool CItemsTreeView::event(QEvent* e) {
    if (e->type() == CLanguageChangedEvent::kType) {
        OnLanguageChanged();
        return true;
    }
    return CALRResizeableFormView::event(e);
}

// Lookups.

CItemsTreeView::Item* CItemsTreeView::SelectedItem() const {
    if (m_tree == nullptr) {
        return nullptr;
    }
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        return nullptr;
    }
    return m_model->ItemOf(selected.front());
}

CItemsTreeView::NodePtr CItemsTreeView::SelectedNode() const {
    const Item* item = SelectedItem();
    return CTreeItemsModel::NodeOf(item) != nullptr ? item->node : nullptr;
}

CItemsTreeView::Item* CItemsTreeView::FindTokenItem(const std::wstring& readerName) const {
    for (const auto& child : m_model->Root()->children) {
        const Node* node = CTreeItemsModel::NodeOf(child.get());
        if (node != nullptr && node->GetTokenName() == readerName) {
            return child.get();
        }
    }
    return nullptr;
}

void CItemsTreeView::RedrawNode(const Node* node) {
    if (node != nullptr) {
        m_model->Redraw(m_model->FindItem(node));
    }
}

void CItemsTreeView::ChildNodes(const Node* node, std::vector<NodePtr>& out) const {
    const Item* item = node != nullptr ? m_model->FindItem(node) : m_model->Root();
    if (item == nullptr) {
        return;
    }
    for (const auto& child : item->children) {
        out.push_back(child->node);
    }
}

std::vector<CItemsTreeView::NodePtr> CItemsTreeView::OpenChildren(const Node* node) {
    Item* item = node != nullptr ? m_model->FindItem(node) : m_model->Root();
    if (item != nullptr && item != m_model->Root() && item->HasPlaceholder()) {
        m_tree->expand(m_model->IndexOf(item));
    }
    std::vector<NodePtr> children;
    ChildNodes(node, children);
    return children;
}

// Selection.

void CItemsTreeView::SelectNode(const Node* node) {
    Item* item = m_model->FindItem(node);
    if (item != nullptr && item != m_model->Root()) {
        SelectItem(item);
    }
}

void CItemsTreeView::SelectItem(Item* item) {
    // Opening the branches above the item enumerates them again, which may replace items:
    // every step looks its item up again by node.
    const NodePtr target = item->node;
    std::vector<NodePtr> ancestors;
    for (const Item* up = item->parent; up != nullptr && up != m_model->Root(); up = up->parent) {
        ancestors.insert(ancestors.begin(), up->node);
    }
    for (const NodePtr& ancestor : ancestors) {
        const QModelIndex index = m_model->IndexOf(m_model->FindItem(ancestor.get()));
        if (!index.isValid()) {
            return;
        }
        if (!m_tree->isExpanded(index)) {
            m_tree->expand(index);
        }
    }
    const QModelIndex index = m_model->IndexOf(m_model->FindItem(target.get()));
    if (!index.isValid()) {
        return;
    }
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_tree->scrollTo(index);
}

void CItemsTreeView::OnSelectionChanged(const QItemSelection& selected,
                                        const QItemSelection& deselected) {
    const Item* newItem =
        selected.indexes().isEmpty() ? nullptr : m_model->ItemOf(selected.indexes().front());
    const Item* oldItem =
        deselected.indexes().isEmpty() ? nullptr : m_model->ItemOf(deselected.indexes().front());
    const NodePtr newNode = CTreeItemsModel::NodeOf(newItem) != nullptr ? newItem->node : nullptr;
    const NodePtr oldNode = CTreeItemsModel::NodeOf(oldItem) != nullptr ? oldItem->node : nullptr;
    if (newNode != nullptr) {
        Guarded([&newNode] { newNode->OnUpdate(CUpdateRequest{STreeItemInfo::kUpdateSelected}); });
    }
    if (oldNode != nullptr) {
        SendSelected(oldNode.get(), false);
    }
    if (newNode != nullptr) {
        SendSelected(newNode.get(), true);
    }
}

void CItemsTreeView::SendSelected(Node* node, bool selected) {
    if (STreeItemInfo::CTreeMessageHub* hub = m_facade->MessageHub()) {
        hub->itemInTheTreeSelected.Send(
            SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg{node, selected});
    }
}

// Synchronisation.

void CItemsTreeView::SynchroniseChildren(const Node* node) {
    Item* item = node != nullptr ? m_model->FindItem(node) : m_model->Root();
    if (item != nullptr && !item->HasPlaceholder()) {
        SynchroniseItem(item);
    }
    if (SelectedItem() == nullptr && !m_model->Root()->children.empty()) {
        SelectItem(m_model->Root()->children.front().get());
    }
}

void CItemsTreeView::ResynchroniseTree(const Node* node) {
    Item* item = node != nullptr ? m_model->FindItem(node) : m_model->Root();
    if (item != nullptr) {
        ResynchroniseItem(item);
    }
}

void CItemsTreeView::ResynchroniseItem(Item* item) {
    if (item->HasPlaceholder()) {
        return;
    }
    const NodePtr node = item->node;
    SynchroniseItem(item);
    item = m_model->FindItem(node.get());
    if (item == nullptr) {
        return;
    }
    std::vector<NodePtr> children;
    for (const auto& child : item->children) {
        children.push_back(child->node);
    }
    for (const NodePtr& child : children) {
        if (Item* childItem = m_model->FindItem(child.get())) {
            ResynchroniseItem(childItem);
        }
    }
}

void CItemsTreeView::SynchroniseItem(Item* item) {
    if (CTreeItemsModel::NodeOf(item) == nullptr) {
        return;
    }
    const NodePtr node = item->node;
    std::vector<NodePtr> fresh;
    bool enumerated = false;
    Guarded([&] {
        node->EnumChilds(fresh);
        enumerated = true;
    });
    if (!enumerated) {
        // A failed enumeration tells nothing about the children: the level stays as it is.
        return;
    }
    // Whatever ran during the enumeration may have changed the tree.
    item = m_model->FindItem(node.get());
    if (item == nullptr) {
        return;
    }

    // Existing items whose path is enumerated again stay, with their subtrees and expansion.
    std::vector<std::pair<NodePtr, std::optional<std::wstring>>> current;
    for (const auto& child : item->children) {
        current.emplace_back(child->node, PathOf(CTreeItemsModel::NodeOf(child.get())));
    }
    std::vector<NodePtr> keep;
    for (NodePtr& freshNode : fresh) {
        const std::optional<std::wstring> path = PathOf(freshNode.get());
        const auto match = std::find_if(current.begin(), current.end(), [&path](const auto& c) {
            return path && c.second == path;
        });
        if (match != current.end()) {
            keep.push_back(match->first);
        } else if (m_model->InsertNode(item, freshNode) != nullptr) {
            keep.push_back(freshNode);
        }
    }
    fresh.clear();
    RemoveChildrenExcept(node, keep);

    item = m_model->FindItem(node.get());
    if (item == nullptr) {
        return;
    }
    RefreshChildren(item);
    m_model->SortChildren(item);
}

void CItemsTreeView::RemoveChildrenExcept(const NodePtr& parentNode,
                                          const std::vector<NodePtr>& keep) {
    std::unordered_set<const Node*> kept;
    for (const NodePtr& node : keep) {
        kept.insert(node.get());
    }
    // One item at a time, from the last: each deletion may move the selection and so run node
    // code, after which the parent is looked up again.
    for (;;) {
        Item* parent = m_model->FindItem(parentNode.get());
        if (parent == nullptr) {
            return;
        }
        int doomed = -1;
        for (int row = static_cast<int>(parent->children.size()) - 1; row >= 0; --row) {
            if (kept.count(parent->children[static_cast<std::size_t>(row)]->node.get()) == 0) {
                doomed = row;
                break;
            }
        }
        if (doomed < 0) {
            return;
        }
        RemoveItem(parent, doomed);
    }
}

void CItemsTreeView::RefreshChildren(Item* item) {
    std::vector<NodePtr> children;
    for (const auto& child : item->children) {
        children.push_back(child->node);
    }
    for (const NodePtr& child : children) {
        Item* childItem = m_model->FindItem(child.get());
        if (CTreeItemsModel::NodeOf(childItem) == nullptr) {
            continue;
        }
        if (childItem == SelectedItem()) {
            Guarded(
                [&child] { child->OnUpdate(CUpdateRequest{STreeItemInfo::kUpdateDataChanged}); });
            childItem = m_model->FindItem(child.get());
            if (childItem == nullptr) {
                continue;
            }
        }
        bool bold = false;
        Guarded([&] { bold = child->IsBold(); });
        m_model->SetBold(childItem, bold);
    }
}

void CItemsTreeView::RemoveItem(Item* parent, int row) {
    m_model->RemoveChild(parent, row);
    PostCheckEmpty();
}

void CItemsTreeView::PostCheckEmpty() {
    if (m_emptyCheckPending) {
        return;
    }
    m_emptyCheckPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_emptyCheckPending = false;
            if (m_model->rowCount() == 0) {
                m_facade->ReplaceRightView(kDefaultRightView);
            }
        },
        Qt::QueuedConnection);
}

void CItemsTreeView::PostSynchronise(Item* item) {
    const std::weak_ptr<Node> target = item->node;
    QMetaObject::invokeMethod(
        this,
        [this, target] {
            const NodePtr node = target.lock();
            if (Item* found = node != nullptr ? m_model->FindItem(node.get()) : nullptr) {
                SynchroniseItem(found);
            }
        },
        Qt::QueuedConnection);
}

void CItemsTreeView::OnExpanding(const QModelIndex& index) {
    Item* item = m_model->ItemOf(index);
    if (item == nullptr || item == m_model->Root()) {
        return;
    }
    const NodePtr node = item->node;
    if (item->HasPlaceholder()) {
        RemoveItem(item, 0);
        item = m_model->FindItem(node.get());
    }
    if (item != nullptr) {
        SynchroniseItem(item);
    }
}

// Context menus.

void CItemsTreeView::OnContextMenuAt(const QModelIndex& index, const QPoint& viewportPos) {
    Item* item = index.isValid() ? m_model->ItemOf(index) : nullptr;
    if (item == nullptr || item == m_model->Root()) {
        return;
    }
    const NodePtr node = item->node;
    SelectItem(item);
    if (CTreeItemsModel::NodeOf(m_model->FindItem(node.get())) == nullptr) {
        return;
    }
    const QPoint screen = m_tree->viewport()->mapToGlobal(viewportPos);
    Guarded([&] { node->ShowContextMenu(screen.x(), screen.y()); });
}

// Language and observer messages.

void CItemsTreeView::OnLanguageChanged() {
    const NodePtr node = SelectedNode();
    if (node != nullptr) {
        Guarded([&node] { node->OnUpdate(CUpdateRequest{STreeItemInfo::kUpdateSelected}); });
    } else {
        m_facade->ReplaceRightView(kDefaultRightView);
    }
}

void CItemsTreeView::OnMessage(const CTokenLevelUpdateNeededMsg& msg) {
    if (Item* item = FindTokenItem(msg.readerName)) {
        PostSynchronise(item);
    }
}

void CItemsTreeView::OnMessage(const CContainerItemInfoMsg& msg) {
    switch (msg.code) {
        case 1: {
            std::wstring name;
            if (msg.node != nullptr) {
                Guarded([&] { name = msg.node->GetDisplayText(); });
            }
            ShowOperation(FormatString(LoadLangString(IDS_REMOVING_CONTAINER), name));
            break;
        }
        case 3:
            ShowOperation(LoadLangString(IDS_SETTING_DEFAULT));
            break;
        case 5:
            ShowOperation(LoadLangString(IDS_REMOVING_DEFAULT));
            break;
        case 2:
        case 4:
        case 6:
            EndOperation(msg.node);
            break;
        default:
            break;
    }
}

void CItemsTreeView::ShowOperation(const std::wstring& text) {
    m_facade->SetStatusMessage(text);
    GetUserInterface().SetCursor(IDC_WAIT);
}

void CItemsTreeView::EndOperation(const Node* container) {
    Item* item = container != nullptr ? m_model->FindItem(container) : nullptr;
    Item* parent = item != nullptr ? item->parent : nullptr;
    m_facade->SetStatusMessage(std::nullopt);
    GetUserInterface().SetCursor(IDC_ARROW);
    // The token's children are enumerated again: a deleted container goes, the default mark moves.
    if (parent != nullptr && parent != m_model->Root()) {
        PostSynchronise(parent);
    }
}
