#include "program/ops/pfximport/PfxImportPages.h"

#include "platform/kernel/Uuid.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "res/resource.h"

namespace SPFXMaster {

SWizardPageRequest PfxPage(UINT templateId, CPfxContext& context) {
    return WizardPage(templateId, IDS_PFX_IMPORT_TITLE, IDI_PFX_IMPORT, kHelpTopic,
                      context.position);
}

SWizardPageRequest PasswordPage(CPfxContext& context) {
    SWizardPageRequest page = PfxPage(IDD_PFX_IMPORT_PASSWORD, context);
    page.messageId = IDS_PFX_IMPORT_PASSWORD_TEXT;
    page.values.texts[IDC_IMP_PASSWORD_TEXT] = LoadLangString(IDS_PFX_IMPORT_PASSWORD_TEXT);
    page.values.texts[IDC_PASSWORD] = L"";
    page.limits[IDC_PASSWORD] = kMaxPasswordLength;
    page.limitMessage = FormatString(LoadLangString(IDS_PFX_PASSWORD_TOO_LONG), kMaxPasswordLength);
    return page;
}

SWizardPageRequest ErrorPage(CPfxContext& context, UINT messageId, const std::wstring& text,
                             bool backEnabled) {
    SWizardPageRequest page = PfxPage(IDD_PFX_IMPORT_ERROR, context);
    page.messageId = messageId;
    page.values.texts[IDC_IMP_ERROR_TEXT] = text;
    if (backEnabled) {
        page.enabled.insert(IDC_BACK);
    }
    return page;
}

SWizardPageRequest ContainerPage(CPfxContext& context) {
    SWizardPageRequest page = PfxPage(IDD_PFX_IMPORT_CONTAINER, context);
    page.values.texts[IDC_CONTAINER_NAME] = NewUuidString();
    page.values.checks[IDC_ENABLE_EXPORT] = context.exportAllowed;
    page.onButton = [](UINT button, SWizardPageValues& values) {
        if (button == IDC_UNIQUE_NAME) {
            values.texts[IDC_CONTAINER_NAME] = NewUuidString();
        }
    };
    // An empty name would address the token's default container.
    page.check = [](const SWizardPageValues& values) -> std::optional<std::wstring> {
        const auto name = values.texts.find(IDC_CONTAINER_NAME);
        if (name == values.texts.end() || name->second.empty()) {
            return LoadLangString(IDS_PFX_EMPTY_CONTAINER_NAME);
        }
        return std::nullopt;
    };
    return page;
}

SWizardPageRequest SucceededPage(CPfxContext& context) {
    SWizardPageRequest page = PfxPage(IDD_PFX_IMPORT_SUCCESS, context);
    page.messageId = IDS_PFX_IMPORT_SUCCEEDED;
    page.values.texts[IDC_IMP_SUCCESS_TEXT] = FormatString(LoadLangString(IDS_PFX_IMPORT_SUCCEEDED),
                                                           context.fileName, context.containerName);
    return page;
}

SWizardPageRequest ProgressPage(CPfxContext& context, UINT messageId, const std::wstring& text) {
    SWizardPageRequest page = PfxPage(IDD_PFX_IMPORT_PROGRESS, context);
    page.messageId = messageId;
    page.values.texts[IDC_IMP_PROGRESS_TEXT] = text;
    return page;
}

}  // namespace SPFXMaster
