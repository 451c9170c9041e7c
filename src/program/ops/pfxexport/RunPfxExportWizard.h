// Starts the PFX export wizard for the key of a specification in a container of the token in a
// reader, into a file, and returns when it is over; what happens is shown on its pages.
#pragma once

#include <string>

#include "program/token/CProviderDescriptor.h"
#include "program/ui/CFrameFacade.h"

namespace SEXPPFXMaster {

struct SExportKey {
    std::wstring readerName;
    std::wstring containerName;
    DWORD keySpec = 0;
    std::wstring certificateName;  // as the certificate node shows it
};

void RunPfxExportWizard(const CFrameFacade& facade, const SVKCERT::CProviderDescriptor& provider,
                        const std::wstring& filePath, const SExportKey& key);

}  // namespace SEXPPFXMaster
