// A plain frame for the tree view tests: it owns the message hub, records what the view and the
// nodes ask of the frame (right pane views and what they were filled with, status texts, pane
// switches, selection messages, enumerations), and runs the frame's refresh and device change
// sequences over the view's public operations.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/core/sdp/COwnedReceiver.h"
#include "program/tree/CTreeMessageHub.h"
#include "gui/tree/CItemsTreeView.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/CNullFrame.h"

namespace treeviewtest {

class RecordingRightView final : public IRightView,
                                 public ITokenInfoViewFill,
                                 public IContainerViewFill,
                                 public IKeyViewFill,
                                 public ICertificateViewFill {
public:
    explicit RecordingRightView(ERightViewKind kind) : m_kind(kind) {}

    ERightViewKind Kind() const override { return m_kind; }
    ITokenInfoViewFill* AsTokenInfo() override { return Is(ERightViewKind::TokenInfo); }
    IContainerViewFill* AsContainer() override { return Is(ERightViewKind::Container); }
    IKeyViewFill* AsKey() override { return Is(ERightViewKind::Key); }
    ICertificateViewFill* AsCertificate() override { return Is(ERightViewKind::Certificate); }

    void FillTokenRecord(const STokenRecord&) override { tokenRecordFilled = true; }
    void FillContainerName(const std::wstring& name) override { containerName = name; }
    void FillKeyLength(DWORD bits) override { keyLength = bits; }
    void FillPermissions(DWORD) override {}
    void FillPublicKey(const std::vector<BYTE>&) override {}
    void FillCertificate(const std::vector<BYTE>& encoded) override { certificate = encoded; }

    bool tokenRecordFilled = false;
    std::optional<std::wstring> containerName;
    std::optional<DWORD> keyLength;
    std::vector<BYTE> certificate;

private:
    RecordingRightView* Is(ERightViewKind kind) { return m_kind == kind ? this : nullptr; }
    ERightViewKind m_kind;
};

struct SelectionRecord {
    std::wstring path;
    bool selected = false;
};

struct EnumRecord {
    DWORD code = 0;
    std::string className;
    std::wstring path;
};

class TestFrame final : public CNullFrame {
public:
    using Node = STreeItemInfo::ITreeItemInfo;

    TestFrame();
    ~TestFrame() override;
    TestFrame(const TestFrame&) = delete;
    TestFrame& operator=(const TestFrame&) = delete;

    const CFrameFacadePtr& Facade() const { return m_facade; }
    STreeItemInfo::CTreeMessageHub& Hub() { return m_hub; }
    // The view the tree operations go to (null: none).
    void SetView(CItemsTreeView* view) { m_view = view; }

    // The frame's Refresh: the token list is emptied, the tree is synchronised again from the
    // top, and the node of the path selected before is selected and shown again.
    void Refresh();
    // The frame's device change: the token list follows the readers, the top level follows.
    void DeviceChange();
    // Depth-first through the view's child nodes.
    NodePtr FindByPath(const std::wstring& path);

    // Records.
    bool showContainers = true;
    std::vector<ERightViewKind> rightViews;
    std::vector<std::optional<std::wstring>> statusMessages;
    int otherPaneActivations = 0;
    std::vector<SelectionRecord> selections;
    std::vector<EnumRecord> enumerations;
    RecordingRightView* RightView() const { return m_rightView.get(); }
    // Token, container or key enumerations (start messages) of the node with this path.
    int EnumerationsOf(const std::wstring& path) const;

    // The frame operations it records or forwards to the view.
    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    bool ShowContainers() const override { return showContainers; }
    bool HasTreeView() const override { return m_view != nullptr; }
    NodePtr SelectedNode() override;
    void SelectNode(const Node* node) override;
    void ResynchroniseTree(const Node* node) override;
    void SynchroniseChildren(const Node* node) override;
    void ChildNodes(const Node* node, std::vector<NodePtr>& out) override;
    IRightView* ReplaceRightView(ERightViewKind kind) override;
    void ActivateOtherPane() override { ++otherPaneActivations; }
    void SetStatusMessage(const std::optional<std::wstring>& text) override {
        statusMessages.push_back(text);
    }
    void RouteCommand(UINT commandId) override;

    // Hub messages.
    void OnMessage(const SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg& msg);
    void OnMessage(const STreeItemInfo::CItemChildsEnumingMsg& msg);

private:
    template <class Msg>
    using Receiver =
        SDP::SOBSERVER::COwnedReceiver<TestFrame, Msg, STreeItemInfo::CTreeThreadModel>;

    NodePtr FindByPathBelow(const Node* node, const std::wstring& path);

    STreeItemInfo::CTreeMessageHub m_hub;
    CFrameFacadePtr m_facade;
    CItemsTreeView* m_view = nullptr;
    std::unique_ptr<RecordingRightView> m_rightView;
    Receiver<SFrameFacade::MESSAGES::CItemInTheTreeSelectedMsg> m_selectedReceiver;
    Receiver<STreeItemInfo::CItemChildsEnumingMsg> m_enumingReceiver;
};

}  // namespace treeviewtest
