#include "program/ops/pfximport/PfxImportPages.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/ui/IUserInterface.h"

namespace SPFXMaster {

CPfxStatePtr CImportSucceededState::Execute() {
    GetUserInterface().RunWizardPage(SucceededPage(*GetContext()));
    return nullptr;
}

}  // namespace SPFXMaster
