#include "program/ui/WizardPage.h"

#include "platform/crypto/SecureBytes.h"

SWizardPageRequest WizardPage(UINT templateId, UINT titleId, UINT iconId, const char* helpTopic,
                              SWizardPosition& position) {
    SWizardPageRequest page;
    page.templateId = templateId;
    page.titleId = titleId;
    page.iconId = iconId;
    page.helpTopic = helpTopic;
    page.position = &position;
    return page;
}

void SWizardPageValues::Wipe() {
    for (auto& [id, text] : texts) {
        vk::crypto::WipeString(text);
    }
}
