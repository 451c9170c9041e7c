#include "program/ops/pfximport/PfxImportPages.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SPFXMaster {

CPfxStatePtr CEnterFileNameAndPWDState::Execute() {
    CPfxContext& context = *GetContext();
    SWizardPageResult page = GetUserInterface().RunWizardPage(PasswordPage(context));
    if (page.endCode != IDOK) {
        return nullptr;
    }
    vk::crypto::WipeString(context.password);
    context.password = page.values.texts[IDC_PASSWORD];
    return std::make_unique<CCheckPWDAndPFXContents>(&context);
}

}  // namespace SPFXMaster
