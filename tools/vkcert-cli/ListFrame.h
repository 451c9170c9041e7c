// The frame of `vkcert-cli list`: no window, no status bar, no right pane; it only answers the
// show-containers choice and gives the nodes a message hub nobody listens to.
#pragma once

#include "tree/model/CTreeMessageHub.h"
#include "ui/model/IFrame.h"

namespace vkcli {

class ListFrame final : public IFrame {
public:
    explicit ListFrame(bool showContainers) : m_showContainers(showContainers) {}

    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() override {
        return nullptr;
    }
    bool ShowContainers() const override { return m_showContainers; }

    bool HasTreeView() const override { return false; }
    NodePtr SelectedNode() override { return nullptr; }
    void SelectNode(const STreeItemInfo::ITreeItemInfo*) override {}
    void ResynchroniseTree(const STreeItemInfo::ITreeItemInfo*) override {}
    void SynchroniseChildren(const STreeItemInfo::ITreeItemInfo*) override {}
    void ChildNodes(const STreeItemInfo::ITreeItemInfo*, std::vector<NodePtr>&) override {}

    IRightView* ReplaceRightView(ERightViewKind) override { return nullptr; }
    void ActivateOtherPane() override {}
    CListSplitRecord* ListSplitRecord() override { return nullptr; }

    void SetStatusMessage(const std::optional<std::wstring>&) override {}
    void UpdateStatusPanes() override {}
    void UpdateToolBarToggles() override {}
    void RouteCommand(UINT) override {}

    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor&, const std::wstring&,
                            const std::wstring&) override {}
    void RunPfxExportWizard(const std::wstring&, const std::wstring&, const std::wstring&, DWORD,
                            const std::wstring&) override {}

private:
    bool m_showContainers;
    STreeItemInfo::CTreeMessageHub m_hub;
};

}  // namespace vkcli
