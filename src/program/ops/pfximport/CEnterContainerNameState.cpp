#include "program/ops/pfximport/PfxImportPages.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SPFXMaster {

CPfxStatePtr CEnterContainerNameState::Execute() {
    CPfxContext& context = *GetContext();
    SWizardPageResult page = GetUserInterface().RunWizardPage(ContainerPage(context));
    if (page.endCode != IDOK) {
        return nullptr;
    }
    context.containerName = page.values.texts[IDC_CONTAINER_NAME];
    context.exportAllowed = page.values.checks[IDC_ENABLE_EXPORT];
    return std::make_unique<CImportOperationState>(&context);
}

}  // namespace SPFXMaster
