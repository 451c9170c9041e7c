#include "program/ops/pfximport/PfxImportStates.h"

namespace SPFXMaster {

CPfxStatePtr CInitialState::Execute() {
    return std::make_unique<CLoadFileContents>(GetContext());
}

}  // namespace SPFXMaster
