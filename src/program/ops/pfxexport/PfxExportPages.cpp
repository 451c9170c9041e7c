#include "program/ops/pfxexport/PfxExportPages.h"

#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "res/resource.h"

namespace SEXPPFXMaster {

SWizardPageRequest ExpPfxPage(UINT templateId, CExpPfxContext& context) {
    return WizardPage(templateId, IDS_PFX_EXPORT_TITLE, IDI_PFX_EXPORT, kHelpTopic,
                      context.position);
}

SWizardPageRequest PasswordPage(CExpPfxContext& context) {
    SWizardPageRequest page = ExpPfxPage(IDD_PFX_EXPORT_PASSWORD, context);
    page.messageId = IDS_PFX_EXPORT_PASSWORD_TEXT;
    page.values.texts[IDC_EXP_PASSWORD_TEXT] =
        FormatString(LoadLangString(IDS_PFX_EXPORT_PASSWORD_TEXT), kMaxPasswordLength);
    page.values.texts[IDC_PASSWORD] = L"";
    page.values.texts[IDC_CONFIRM_PASSWORD] = L"";
    page.limits[IDC_PASSWORD] = kMaxPasswordLength;
    page.limits[IDC_CONFIRM_PASSWORD] = kMaxPasswordLength;
    page.limitMessage = FormatString(LoadLangString(IDS_PFX_PASSWORD_TOO_LONG), kMaxPasswordLength);
    page.forwardEnabled = [](const SWizardPageValues& values) {
        const std::wstring& password = values.texts.at(IDC_PASSWORD);
        return !password.empty() && password == values.texts.at(IDC_CONFIRM_PASSWORD);
    };
    return page;
}

SWizardPageRequest LoadingPage(CExpPfxContext& context) {
    SWizardPageRequest page = ExpPfxPage(IDD_PFX_EXPORT_PROGRESS, context);
    page.messageId = IDS_LOADING_TOKEN_INFO;
    page.values.texts[IDC_EXP_LOADING_TEXT] = LoadLangString(IDS_LOADING_TOKEN_INFO);
    return page;
}

SWizardPageRequest SuccessPage(CExpPfxContext& context) {
    SWizardPageRequest page = ExpPfxPage(IDD_PFX_EXPORT_SUCCESS, context);
    page.messageId = IDS_PFX_EXPORT_SUCCEEDED;
    page.values.texts[IDC_EXP_SUCCESS_TEXT] = FormatString(
        LoadLangString(IDS_PFX_EXPORT_SUCCEEDED), context.certificateName, context.fileName);
    return page;
}

SWizardPageRequest ErrorPage(CExpPfxContext& context, UINT messageId, const std::wstring& text,
                             DWORD errorCode) {
    SWizardPageRequest page = ExpPfxPage(IDD_PFX_EXPORT_ERROR, context);
    page.messageId = messageId;
    page.errorCode = errorCode;
    page.values.texts[IDC_EXP_ERROR_TEXT] = text;
    return page;
}

}  // namespace SEXPPFXMaster
