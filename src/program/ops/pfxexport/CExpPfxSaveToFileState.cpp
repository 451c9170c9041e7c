#include <filesystem>

#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/pfxexport/PfxExportStates.h"
#include "program/ops/pfxexport/PfxPack.h"
#include "program/token/CCertException.h"
#include "program/token/ErrorText.h"
#include "res/resource.h"

namespace SEXPPFXMaster {

namespace {

// Written beside the target and renamed over it, readable by the user only: a failure leaves
// no file or the old one.
void WritePfxFile(const std::wstring& fileName, const std::vector<BYTE>& bytes) {
    const DWORD error = ReplaceFileAtomically(std::filesystem::path(fileName), bytes, 0600);
    if (error != ERROR_SUCCESS) {
        throw SVKCERT::SEXCPT::CCertException(error);
    }
}

}  // namespace

CExpPfxStatePtr CExpPfxSaveToFileState::Execute() {
    CExpPfxContext& context = *GetContext();
    try {
        const std::vector<BYTE> bytes = PackPfx(context.keyAndCertificate, context.keySpec,
                                                context.certificateName, context.password);
        context.keyAndCertificate = {};
        WritePfxFile(context.fileName, bytes);
    } catch (const SVKCERT::SEXCPT::CCertException& e) {
        context.keyAndCertificate = {};
        return std::make_unique<CExpPfxErrorState>(
            &context, IDS_PFX_EXPORT_FAILED, e.GetCode(),
            FormatString(LoadLangString(IDS_PFX_EXPORT_FAILED), context.certificateName,
                         context.fileName, SVKCERT::ErrorDescription(e.GetCode())));
    }
    return std::make_unique<CExpPfxSuccessState>(&context);
}

}  // namespace SEXPPFXMaster
