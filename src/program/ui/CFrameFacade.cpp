#include "program/ui/CFrameFacade.h"

STreeItemInfo::CTreeMessageHub* CFrameFacade::MessageHub() const {
    return m_frame != nullptr ? m_frame->MessageHub() : nullptr;
}

STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* CFrameFacade::AcceptorRegistry() const {
    return m_frame != nullptr ? m_frame->AcceptorRegistry() : nullptr;
}

bool CFrameFacade::ShowContainers() const {
    return m_frame != nullptr && m_frame->ShowContainers();
}

bool CFrameFacade::HasTreeView() const {
    return m_frame != nullptr && m_frame->HasTreeView();
}

CFrameFacade::NodePtr CFrameFacade::SelectedNode() const {
    return m_frame != nullptr ? m_frame->SelectedNode() : nullptr;
}

void CFrameFacade::SelectNode(const STreeItemInfo::ITreeItemInfo* node) const {
    if (m_frame != nullptr) {
        m_frame->SelectNode(node);
    }
}

void CFrameFacade::ResynchroniseTree(const STreeItemInfo::ITreeItemInfo* node) const {
    if (m_frame != nullptr) {
        m_frame->ResynchroniseTree(node);
    }
}

void CFrameFacade::SynchroniseChildren(const STreeItemInfo::ITreeItemInfo* node) const {
    if (m_frame != nullptr) {
        m_frame->SynchroniseChildren(node);
    }
}

void CFrameFacade::ChildNodes(const STreeItemInfo::ITreeItemInfo* node,
                              std::vector<NodePtr>& out) const {
    if (m_frame != nullptr) {
        m_frame->ChildNodes(node, out);
    }
}

void CFrameFacade::RedrawNode(const STreeItemInfo::ITreeItemInfo* node) const {
    if (m_frame != nullptr) {
        m_frame->RedrawNode(node);
    }
}

IRightView* CFrameFacade::ReplaceRightView(ERightViewKind kind) const {
    return m_frame != nullptr ? m_frame->ReplaceRightView(kind) : nullptr;
}

void CFrameFacade::ActivateOtherPane() const {
    if (m_frame != nullptr) {
        m_frame->ActivateOtherPane();
    }
}

CListSplitRecord* CFrameFacade::ListSplitRecord() const {
    return m_frame != nullptr ? m_frame->ListSplitRecord() : nullptr;
}

void CFrameFacade::SetStatusMessage(const std::optional<std::wstring>& text) const {
    if (m_frame != nullptr) {
        m_frame->SetStatusMessage(text);
    }
}

void CFrameFacade::UpdateStatusPanes() const {
    if (m_frame != nullptr) {
        m_frame->UpdateStatusPanes();
    }
}

void CFrameFacade::UpdateToolBarToggles() const {
    if (m_frame != nullptr) {
        m_frame->UpdateToolBarToggles();
    }
}

void CFrameFacade::RouteCommand(UINT commandId) const {
    if (m_frame != nullptr) {
        m_frame->RouteCommand(commandId);
    }
}

bool CFrameFacade::IsCommandEnabled(UINT commandId) const {
    return m_frame != nullptr && m_frame->IsCommandEnabled(commandId);
}

void CFrameFacade::RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                                      const std::wstring& filePath,
                                      const std::wstring& readerName) const {
    if (m_frame != nullptr) {
        m_frame->RunPfxImportWizard(provider, filePath, readerName);
    }
}

void CFrameFacade::RunPfxExportWizard(const std::wstring& filePath, const std::wstring& readerName,
                                      const std::wstring& containerName, DWORD keySpec,
                                      const std::wstring& certificateName) const {
    if (m_frame != nullptr) {
        m_frame->RunPfxExportWizard(filePath, readerName, containerName, keySpec, certificateName);
    }
}
