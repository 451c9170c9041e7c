#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/pfximport/PfxImportPages.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SPFXMaster {

CPfxStatePtr CErrorPWDState::Execute() {
    CPfxContext& context = *GetContext();
    const std::wstring text =
        FormatString(LoadLangString(IDS_PFX_WRONG_PASSWORD), context.fileName);
    const SWizardPageResult page = GetUserInterface().RunWizardPage(
        ErrorPage(context, IDS_PFX_WRONG_PASSWORD, text, /*backEnabled=*/true));
    if (page.endCode == kWizardBack) {
        return std::make_unique<CEnterFileNameAndPWDState>(&context);
    }
    return nullptr;
}

}  // namespace SPFXMaster
