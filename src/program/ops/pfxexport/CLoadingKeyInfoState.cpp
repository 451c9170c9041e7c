#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/CStatusText.h"
#include "program/ops/pfxexport/PfxExportPages.h"
#include "program/ops/pfxexport/PfxExportStates.h"
#include "program/token/CCertException.h"
#include "program/token/COpenKey.h"
#include "program/token/CReaderLock.h"
#include "program/token/ErrorText.h"
#include "program/token/TwoCallRead.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SEXPPFXMaster {

namespace {

// The key's private key blob and its certificate, from the token as it is now: a key that has
// gone since the tree was read fails like one that may not be exported.
SVKCERT::SPfxKeyPair ReadKeyAndCertificate(const CExpPfxContext& context) {
    CReaderLock lock(context.readerName);
    SVKCERT::COpenKey key;
    key.Open(context.provider, context.readerName, context.containerName, context.keySpec);
    SVKCERT::SPfxKeyPair pair;
    pair.keyBlob = key.ExportPrivateKeyBlob();
    pair.certificate = SVKCERT::TwoCallRead([&](BYTE* data, DWORD* length) {
        return CryptGetKeyParam(key.Key(), KP_CERTIFICATE, data, length, 0);
    });
    return pair;
}

}  // namespace

CExpPfxStatePtr CLoadingKeyInfoState::Execute() {
    CExpPfxContext& context = *GetContext();
    SVKCERT::CStatusText status(context.facade, LoadLangString(IDS_LOADING_TOKEN_INFO),
                                /*waitCursor=*/true);
    const auto progress = GetUserInterface().ShowProgressPage(LoadingPage(context));
    try {
        context.keyAndCertificate = ReadKeyAndCertificate(context);
    } catch (const SVKCERT::SEXCPT::CCertException& e) {
        return std::make_unique<CExpPfxErrorState>(
            &context, IDS_PFX_LOAD_KEY_FAILED, e.GetCode(),
            FormatString(LoadLangString(IDS_PFX_LOAD_KEY_FAILED), context.certificateName,
                         SVKCERT::ErrorDescription(e.GetCode())));
    }
    return std::make_unique<CExpPfxEnterPWDState>(&context);
}

}  // namespace SEXPPFXMaster
