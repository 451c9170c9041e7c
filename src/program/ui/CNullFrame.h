// A frame that answers nothing and does nothing, as the facade does without a frame. Frames
// without windows (command-line tools, tests) derive from it and give only what they have.
#pragma once

#include "program/ui/IFrame.h"

class CNullFrame : public IFrame {
public:
    STreeItemInfo::CTreeMessageHub* MessageHub() override { return nullptr; }
    STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() override {
        return nullptr;
    }
    bool ShowContainers() const override { return false; }

    bool HasTreeView() const override { return false; }
    NodePtr SelectedNode() override { return nullptr; }
    void SelectNode(const STreeItemInfo::ITreeItemInfo*) override {}
    void ResynchroniseTree(const STreeItemInfo::ITreeItemInfo*) override {}
    void SynchroniseChildren(const STreeItemInfo::ITreeItemInfo*) override {}
    void ChildNodes(const STreeItemInfo::ITreeItemInfo*, std::vector<NodePtr>&) override {}
    void RedrawNode(const STreeItemInfo::ITreeItemInfo*) override {}

    IRightView* ReplaceRightView(ERightViewKind) override { return nullptr; }
    void ActivateOtherPane() override {}
    CListSplitRecord* ListSplitRecord() override { return nullptr; }

    void SetStatusMessage(const std::optional<std::wstring>&) override {}
    void UpdateStatusPanes() override {}
    void UpdateToolBarToggles() override {}
    void RouteCommand(UINT) override {}
    bool IsCommandEnabled(UINT) override { return false; }

    void RunPfxImportWizard(const SVKCERT::CProviderDescriptor&, const std::wstring&,
                            const std::wstring&) override {}
    void RunPfxExportWizard(const std::wstring&, const std::wstring&, const std::wstring&, DWORD,
                            const std::wstring&) override {}
};
