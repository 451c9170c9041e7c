#include "program/ops/pfximport/PfxImportPages.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/ui/IUserInterface.h"

namespace SPFXMaster {

CPfxStatePtr CErrorMessageState::Execute() {
    GetUserInterface().RunWizardPage(
        ErrorPage(*GetContext(), m_messageId, m_message, /*backEnabled=*/false));
    return nullptr;
}

}  // namespace SPFXMaster
