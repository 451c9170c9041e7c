// How nodes, views and wizards reach the main frame. The frame makes one holder when its client
// area is created and detaches it when it goes; others keep shared references. Without a frame
// every operation does nothing and answers null, false or an empty value.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "program/ui/IFrame.h"

class CFrameFacade {
public:
    using NodePtr = IFrame::NodePtr;

    CFrameFacade() = default;
    explicit CFrameFacade(IFrame* frame) : m_frame(frame) {}

    // The frame is going: from now on the facade answers nothing.
    void Detach() { m_frame = nullptr; }
    IFrame* Frame() const { return m_frame; }

    STreeItemInfo::CTreeMessageHub* MessageHub() const;
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() const;
    bool ShowContainers() const;

    bool HasTreeView() const;
    NodePtr SelectedNode() const;
    void SelectNode(const STreeItemInfo::ITreeItemInfo* node) const;
    void ResynchroniseTree(const STreeItemInfo::ITreeItemInfo* node = nullptr) const;
    void SynchroniseChildren(const STreeItemInfo::ITreeItemInfo* node = nullptr) const;
    void ChildNodes(const STreeItemInfo::ITreeItemInfo* node, std::vector<NodePtr>& out) const;
    void RedrawNode(const STreeItemInfo::ITreeItemInfo* node) const;

    IRightView* ReplaceRightView(ERightViewKind kind) const;
    void ActivateOtherPane() const;
    CListSplitRecord* ListSplitRecord() const;

    void SetStatusMessage(const std::optional<std::wstring>& text = std::nullopt) const;
    void UpdateStatusPanes() const;
    void UpdateToolBarToggles() const;
    void RouteCommand(UINT commandId) const;
    // False without a frame.
    bool IsCommandEnabled(UINT commandId) const;

    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                            const std::wstring& filePath, const std::wstring& readerName) const;
    void RunPfxExportWizard(const std::wstring& filePath, const std::wstring& readerName,
                            const std::wstring& containerName, DWORD keySpec,
                            const std::wstring& certificateName) const;

private:
    IFrame* m_frame = nullptr;
};

using CFrameFacadePtr = std::shared_ptr<CFrameFacade>;
