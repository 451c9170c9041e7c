#include "program/ops/pfxexport/PfxExportStates.h"

namespace SEXPPFXMaster {

CExpPfxStatePtr CInitialState::Execute() {
    return std::make_unique<CLoadingKeyInfoState>(GetContext());
}

}  // namespace SEXPPFXMaster
