// What one run of the PFX import wizard knows, shared by its states and pages: made by the
// starter, it outlives every state of the run.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/crypto/SecureBytes.h"
#include "program/ops/pfximport/PfxUnpack.h"
#include "program/token/CProviderDescriptor.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/WizardPage.h"

namespace SPFXMaster {

struct CPfxContext {
    CPfxContext() = default;
    ~CPfxContext() { vk::crypto::WipeString(password); }
    CPfxContext(const CPfxContext&) = delete;
    CPfxContext& operator=(const CPfxContext&) = delete;

    SWizardPosition position;
    // The private key (PRIVATEKEYBLOB) and the DER certificate to import.
    SPfxKeyPair keyAndCertificate;
    CFrameFacade facade;
    std::wstring fileName;
    std::wstring password;
    std::wstring containerName;
    std::wstring readerName;
    bool exportAllowed = false;
    // The whole file, read once per run.
    std::optional<std::vector<BYTE>> fileContents;
    SVKCERT::CProviderDescriptor provider;
    // Reads the token in the reader afresh and rebuilds its subtree; empty: nothing to tell.
    std::function<void(const std::wstring& readerName)> tokenChanged;
};

}  // namespace SPFXMaster
