// Import from a PFX file onto a token: asks for the file, then starts the PFX import wizard,
// which the tree learns from.
#pragma once

#include <string>

class CFrameFacade;

namespace SVKCERT {
struct CProviderDescriptor;
}

namespace STreeItemInfo {

// The open dialog (title 183, filter 194, extension "pfx"); nothing when it is cancelled.
void AskAndRunPfxImport(const CFrameFacade& facade, const std::wstring& readerName);

// The PFX import wizard, after which the token in the reader is read afresh and its subtree
// rebuilt (CTokenLevelUpdateNeededMsg through the facade's hub).
void RunPfxImportWizard(const CFrameFacade& facade, const SVKCERT::CProviderDescriptor& provider,
                        const std::wstring& filePath, const std::wstring& readerName);

}  // namespace STreeItemInfo
