#include "program/ops/pfxexport/PfxExportPages.h"
#include "program/ops/pfxexport/PfxExportStates.h"
#include "program/ui/IUserInterface.h"

namespace SEXPPFXMaster {

CExpPfxStatePtr CExpPfxErrorState::Execute() {
    GetUserInterface().RunWizardPage(ErrorPage(*GetContext(), m_messageId, m_message, m_errorCode));
    return nullptr;
}

}  // namespace SEXPPFXMaster
