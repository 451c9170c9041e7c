// The pages of the PFX export wizard as requests to the UI seam: each carries the wizard's
// title, icon, help topic and position record.
#pragma once

#include <string>

#include "program/ops/pfxexport/CExpPfxContext.h"
#include "program/ui/WizardPage.h"

namespace SEXPPFXMaster {

inline constexpr int kMaxPasswordLength = 32;
inline constexpr const char* kHelpTopic = "12_CertificateExport_PFX.html";

SWizardPageRequest ExpPfxPage(UINT templateId, CExpPfxContext& context);

// The password page: text 220, the password and its confirmation (at most 32 characters
// each); "Next >" only while both are equal, letter case included, and not empty.
SWizardPageRequest PasswordPage(CExpPfxContext& context);
SWizardPageRequest LoadingPage(CExpPfxContext& context);
SWizardPageRequest SuccessPage(CExpPfxContext& context);
SWizardPageRequest ErrorPage(CExpPfxContext& context, UINT messageId, const std::wstring& text,
                             DWORD errorCode);

}  // namespace SEXPPFXMaster
