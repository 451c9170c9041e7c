#include "program/ui/WizardPage.h"

#include "platform/crypto/SecureBytes.h"

void SWizardPageValues::Wipe() {
    for (auto& [id, text] : texts) {
        vk::crypto::WipeString(text);
    }
}
