// Export to a PFX file: the PFX export wizard over the tree's provider.
#pragma once

#include <string>

#include "platform/WinTypes.h"

class CFrameFacade;

namespace STreeItemInfo {

void RunPfxExportWizard(const CFrameFacade& facade, const std::wstring& filePath,
                        const std::wstring& readerName, const std::wstring& containerName,
                        DWORD keySpec, const std::wstring& certificateName);

}  // namespace STreeItemInfo
