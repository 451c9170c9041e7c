#include "program/tree/PfxExportCommand.h"

#include "program/ops/pfxexport/RunPfxExportWizard.h"
#include "program/tree/CCertTree.h"

namespace STreeItemInfo {

void RunPfxExportWizard(const CFrameFacade& facade, const std::wstring& filePath,
                        const std::wstring& readerName, const std::wstring& containerName,
                        DWORD keySpec, const std::wstring& certificateName) {
    SVKCERTTREE::CCertTreePtr tree;
    SEXPPFXMaster::RunPfxExportWizard(facade, tree->GetProviderDescriptor(), filePath,
                                      {readerName, containerName, keySpec, certificateName});
}

}  // namespace STreeItemInfo
