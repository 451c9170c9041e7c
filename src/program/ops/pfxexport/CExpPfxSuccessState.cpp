#include "program/ops/pfxexport/PfxExportPages.h"
#include "program/ops/pfxexport/PfxExportStates.h"
#include "program/ui/IUserInterface.h"

namespace SEXPPFXMaster {

CExpPfxStatePtr CExpPfxSuccessState::Execute() {
    GetUserInterface().RunWizardPage(SuccessPage(*GetContext()));
    return nullptr;
}

}  // namespace SEXPPFXMaster
