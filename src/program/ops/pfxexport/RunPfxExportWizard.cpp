#include "program/ops/pfxexport/RunPfxExportWizard.h"

#include "program/core/sfsm/CStateMachine.h"
#include "program/ops/pfxexport/PfxExportStates.h"

namespace SEXPPFXMaster {

void RunPfxExportWizard(const CFrameFacade& facade, const SVKCERT::CProviderDescriptor& provider,
                        const std::wstring& filePath, const SExportKey& key) {
    CExpPfxContext context;
    context.facade = facade;
    context.provider = provider;
    context.fileName = filePath;
    context.readerName = key.readerName;
    context.containerName = key.containerName;
    context.keySpec = key.keySpec;
    context.certificateName = key.certificateName;
    CPfxExpInitialStateFactory factory;
    SDP::SFSM::CStateMachine<CExpPfxContext>::Run(factory, &context);
}

}  // namespace SEXPPFXMaster
