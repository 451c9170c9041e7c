// Starts the PFX import wizard for a file and the token in a reader, and returns when it is
// over; what happens is shown on its pages. `tokenChanged` is told the reader once the import
// step has run (STreeItemInfo::RunPfxImportWizard tells the tree).
#pragma once

#include <functional>
#include <string>

#include "program/token/CProviderDescriptor.h"
#include "program/ui/CFrameFacade.h"

namespace SPFXMaster {

void RunPfxImportWizard(const CFrameFacade& facade, const SVKCERT::CProviderDescriptor& provider,
                        const std::wstring& filePath, const std::wstring& readerName,
                        std::function<void(const std::wstring& readerName)> tokenChanged);

}  // namespace SPFXMaster
