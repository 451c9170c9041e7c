#include "program/tree/PfxImportCommand.h"

#include "program/app/LangResource.h"
#include "program/ops/pfximport/RunPfxImportWizard.h"
#include "program/token/CTokenInfo.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace STreeItemInfo {

void RunPfxImportWizard(const CFrameFacade& facade, const SVKCERT::CProviderDescriptor& provider,
                        const std::wstring& filePath, const std::wstring& readerName) {
    SPFXMaster::RunPfxImportWizard(
        facade, provider, filePath, readerName, [&facade](const std::wstring& reader) {
            SVKCERTTREE::CCertTreePtr tree;
            if (CTokenInfo* token = tree->FindToken(reader)) {
                token->Refresh();
            }
            if (CTreeMessageHub* hub = facade.MessageHub()) {
                hub->tokenLevelUpdateNeeded.Send(CTokenLevelUpdateNeededMsg{reader});
            }
        });
}

void AskAndRunPfxImport(const CFrameFacade& facade, const std::wstring& readerName) {
    SFileDialogRequest request;
    request.open = true;
    request.title = LoadLangString(IDS_IMPORT_DIALOG_TITLE);
    request.filter = LoadLangString(IDS_FILTER_PFX);
    request.defaultExtension = L"pfx";
    const std::optional<SFileDialogResult> file = GetUserInterface().FileDialog(request);
    if (!file || file->path.empty()) {
        return;
    }
    SVKCERTTREE::CCertTreePtr tree;
    facade.RunPfxImportWizard(tree->GetProviderDescriptor(), file->path, readerName);
}

}  // namespace STreeItemInfo
