#include "platform/crypto/CryptApi.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/CStatusText.h"
#include "program/ops/pfximport/PfxImportPages.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/token/CCertException.h"
#include "program/token/CReaderLock.h"
#include "program/token/ContainerOperations.h"
#include "program/token/CryptHandles.h"
#include "program/token/ErrorText.h"
#include "program/token/KeyOperations.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SPFXMaster {

namespace {

using SVKCERT::SEXCPT::CCertException;
using SVKCERT::SEXCPT::ThrowIfFailed;

// Makes the container and puts the key and its certificate into it. A container made here is
// deleted again when a later step fails, so that a failed import leaves the token as it was.
void ImportIntoNewContainer(const CPfxContext& context) {
    CReaderLock lock(context.readerName);
    auto container =
        SVKCERT::CreateContainerCached(context.provider, context.readerName, context.containerName);
    try {
        const DWORD flags = context.exportAllowed ? CRYPT_EXPORTABLE : 0;
        const SVKCERT::CScopedKey key(
            SVKCERT::ImportKeyBlob(container.Get(), context.keyAndCertificate.keyBlob, flags));
        const std::vector<BYTE>& certificate = context.keyAndCertificate.certificate;
        ThrowIfFailed(CryptSetKeyParam(key.Get(), KP_CERTIFICATE, certificate.data(), 0));
    } catch (const CCertException&) {
        container = {};
        try {
            SVKCERT::DeleteContainer(context.provider, context.readerName, context.containerName);
        } catch (const CCertException&) {
            // The token went, or refuses: the import's own error says more.
        }
        throw;
    }
}

}  // namespace

CPfxStatePtr CImportOperationState::Execute() {
    CPfxContext& context = *GetContext();
    const std::wstring text = FormatString(LoadLangString(IDS_PFX_IMPORTING), context.fileName,
                                           context.readerName, context.containerName);
    CPfxStatePtr next;
    {
        SVKCERT::CStatusText status(context.facade, text, /*waitCursor=*/true);
        const auto progress =
            GetUserInterface().ShowProgressPage(ProgressPage(context, IDS_PFX_IMPORTING, text));
        try {
            ImportIntoNewContainer(context);
            next = std::make_unique<CImportSucceededState>(&context);
        } catch (const CCertException& e) {
            next = std::make_unique<CErrorMessageState>(
                &context, IDS_PFX_IMPORT_FAILED,
                FormatString(LoadLangString(IDS_PFX_IMPORT_FAILED), context.fileName,
                             context.readerName, context.containerName,
                             SVKCERT::ErrorDescription(e.GetCode())));
        }
        // The token is read afresh and its subtree rebuilt, whatever the import did.
        if (context.tokenChanged) {
            context.tokenChanged(context.readerName);
        }
    }
    context.keyAndCertificate = {};
    return next;
}

}  // namespace SPFXMaster
