#include "tree/model/PfxImportCommand.h"

#include "app/lang/LangResource.h"
#include "tree/model/CCertTree.h"
#include "tree/model/TreeStrings.h"
#include "ui/model/CFrameFacade.h"
#include "ui/model/IUserInterface.h"

namespace STreeItemInfo {

void AskAndRunPfxImport(const CFrameFacade& facade, const std::wstring& readerName) {
    SFileDialogRequest request;
    request.open = true;
    request.title = LoadLangString(kStrImportDialogTitle);
    request.filter = LoadLangString(kStrFilterPfx);
    request.defaultExtension = L"pfx";
    const std::optional<SFileDialogResult> file = GetUserInterface().FileDialog(request);
    if (!file || file->path.empty()) {
        return;
    }
    SVKCERTTREE::CCertTreePtr tree;
    facade.RunPfxImportWizard(tree->GetProviderDescriptor(), file->path, readerName);
}

}  // namespace STreeItemInfo
