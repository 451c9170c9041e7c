#include "program/ops/pfxexport/PfxExportPages.h"
#include "program/ops/pfxexport/PfxExportStates.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SEXPPFXMaster {

CExpPfxStatePtr CExpPfxEnterPWDState::Execute() {
    CExpPfxContext& context = *GetContext();
    SWizardPageRequest request = PasswordPage(context);
    SWizardPageResult page = GetUserInterface().RunWizardPage(request);
    if (page.endCode != IDOK || !request.forwardEnabled(page.values)) {
        return nullptr;
    }
    vk::crypto::WipeString(context.password);
    context.password = page.values.texts[IDC_PASSWORD];
    return std::make_unique<CExpPfxSaveToFileState>(&context);
}

}  // namespace SEXPPFXMaster
