// The main frame as the rest of the program sees it, without windows. The main window
// implements it; command-line tools and tests install plain implementations of their own.
// Reached only through CFrameFacade.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/ui/CListSplitRecord.h"
#include "program/ui/IRightView.h"

namespace STreeItemInfo {
class ITreeItemInfo;
struct CTreeMessageHub;
namespace UI {
class CEnumChildsMsgAcceptorRegistry;
}
}  // namespace STreeItemInfo

namespace SVKCERT {
struct CProviderDescriptor;
}

class IFrame {
public:
    using NodePtr = std::shared_ptr<STreeItemInfo::ITreeItemInfo>;

    virtual ~IFrame() = default;

    virtual STreeItemInfo::CTreeMessageHub* MessageHub() = 0;
    virtual STreeItemInfo::UI::CEnumChildsMsgAcceptorRegistry* AcceptorRegistry() = 0;
    virtual bool ShowContainers() const = 0;

    // The tree pane.
    virtual bool HasTreeView() const = 0;
    virtual NodePtr SelectedNode() = 0;
    virtual void SelectNode(const STreeItemInfo::ITreeItemInfo* node) = 0;
    virtual void ResynchroniseTree(const STreeItemInfo::ITreeItemInfo* node) = 0;  // null: top
    virtual void SynchroniseChildren(const STreeItemInfo::ITreeItemInfo* node) = 0;
    virtual void ChildNodes(const STreeItemInfo::ITreeItemInfo* node,
                            std::vector<NodePtr>& out) = 0;
    // Shows the node's label and image again, as the node gives them now.
    virtual void RedrawNode(const STreeItemInfo::ITreeItemInfo* node) = 0;

    // The right pane: destroys the current view and answers the new one (null when it failed).
    virtual IRightView* ReplaceRightView(ERightViewKind kind) = 0;
    virtual void ActivateOtherPane() = 0;
    virtual CListSplitRecord* ListSplitRecord() = 0;

    // The status bar and the tool bar. No text shows the idle text.
    virtual void SetStatusMessage(const std::optional<std::wstring>& text) = 0;
    virtual void UpdateStatusPanes() = 0;
    virtual void UpdateToolBarToggles() = 0;

    // A command chosen in a context menu, routed as the frame routes its own commands, and
    // whether the frame enables it on its menus.
    virtual void RouteCommand(UINT commandId) = 0;
    virtual bool IsCommandEnabled(UINT commandId) = 0;

    virtual void RunPfxImportWizard(const SVKCERT::CProviderDescriptor& provider,
                                    const std::wstring& filePath,
                                    const std::wstring& readerName) = 0;
    virtual void RunPfxExportWizard(const std::wstring& filePath, const std::wstring& readerName,
                                    const std::wstring& containerName, DWORD keySpec,
                                    const std::wstring& certificateName) = 0;
};
