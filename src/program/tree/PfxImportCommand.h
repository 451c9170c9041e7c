// Import from a PFX file onto a token: asks for the file, then starts the PFX import wizard.
#pragma once

#include <string>

class CFrameFacade;

namespace STreeItemInfo {

// The open dialog (title 183, filter 194, extension "pfx"); nothing when it is cancelled.
void AskAndRunPfxImport(const CFrameFacade& facade, const std::wstring& readerName);

}  // namespace STreeItemInfo
