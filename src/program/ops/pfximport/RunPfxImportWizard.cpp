#include "program/ops/pfximport/RunPfxImportWizard.h"

#include "program/core/sfsm/CStateMachine.h"
#include "program/ops/pfximport/PfxImportStates.h"

namespace SPFXMaster {

void RunPfxImportWizard(const CFrameFacade& facade, const SVKCERT::CProviderDescriptor& provider,
                        const std::wstring& filePath, const std::wstring& readerName,
                        std::function<void(const std::wstring& readerName)> tokenChanged) {
    CPfxContext context;
    context.facade = facade;
    context.fileName = filePath;
    context.readerName = readerName;
    context.provider = provider;
    context.tokenChanged = std::move(tokenChanged);
    CInitialStateFactory factory;
    SDP::SFSM::CStateMachine<CPfxContext>::Run(factory, &context);
}

}  // namespace SPFXMaster
