// What one run of the PFX export wizard knows, shared by its states and pages: made by the
// starter, it outlives every state of the run.
#pragma once

#include <string>

#include "platform/crypto/SecureBytes.h"
#include "program/ops/SPfxKeyPair.h"
#include "program/token/CProviderDescriptor.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/WizardPage.h"

namespace SEXPPFXMaster {

struct CExpPfxContext {
    CExpPfxContext() = default;
    ~CExpPfxContext() { vk::crypto::WipeString(password); }
    CExpPfxContext(const CExpPfxContext&) = delete;
    CExpPfxContext& operator=(const CExpPfxContext&) = delete;

    std::wstring readerName;
    std::wstring containerName;
    std::wstring certificateName;  // as the certificate node shows it
    std::wstring fileName;
    DWORD keySpec = 0;
    CFrameFacade facade;
    std::wstring password;
    SWizardPosition position;
    // The private key exported from the token and the certificate stored with it.
    SVKCERT::SPfxKeyPair keyAndCertificate;
    SVKCERT::CProviderDescriptor provider;
};

}  // namespace SEXPPFXMaster
