// Starts the PFX import wizard for a file and the token in a reader, and returns when it is
// over. The frame and the command line start it alike; what happens is shown on its pages.
#pragma once

#include <string>

#include "program/token/CProviderDescriptor.h"
#include "program/ui/CFrameFacade.h"

namespace SPFXMaster {

void RunPfxImportWizard(const CFrameFacade& facade, const SVKCERT::CProviderDescriptor& provider,
                        const std::wstring& filePath, const std::wstring& readerName);

}  // namespace SPFXMaster
