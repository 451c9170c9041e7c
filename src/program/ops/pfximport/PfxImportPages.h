// The pages of the PFX import wizard as requests to the UI seam: each carries the wizard's
// title, icon, help topic and position record.
#pragma once

#include <string>

#include "program/ops/pfximport/CPfxContext.h"
#include "program/ui/WizardPage.h"

namespace SPFXMaster {

inline constexpr int kMaxPasswordLength = 32;
inline constexpr const char* kHelpTopic = "9_CertificateImport_PFX.html";

// A page of the wizard from its template, without values yet.
SWizardPageRequest PfxPage(UINT templateId, CPfxContext& context);

// The password page: text 221, an empty password edit of at most 32 characters.
SWizardPageRequest PasswordPage(CPfxContext& context);
// The error page with a message; "< Back" enabled when asked.
SWizardPageRequest ErrorPage(CPfxContext& context, UINT messageId, const std::wstring& text,
                             bool backEnabled);
// The container page: a fresh unique name, "Unique name" makes another, the export check box
// as the context has it; an empty name is refused.
SWizardPageRequest ContainerPage(CPfxContext& context);
SWizardPageRequest SucceededPage(CPfxContext& context);
SWizardPageRequest ProgressPage(CPfxContext& context, UINT messageId, const std::wstring& text);

}  // namespace SPFXMaster
