#include <algorithm>

#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/pfximport/PfxImportPages.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/token/ErrorText.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SPFXMaster {

CPfxStatePtr CCheckPWDAndPFXContents::Execute() {
    CPfxContext& context = *GetContext();
    SPfxUnpackResult unpacked;
    {
        IUserInterface& ui = GetUserInterface();
        const std::wstring text = FormatString(LoadLangString(IDS_PFX_UNPACKING), context.fileName);
        const auto progress = ui.ShowProgressPage(ProgressPage(context, IDS_PFX_UNPACKING, text));
        static const std::vector<BYTE> kNone;
        const std::vector<BYTE>& contents = context.fileContents ? *context.fileContents : kNone;
        ui.RunOffWindowThread([&] { unpacked = UnpackPfx(contents, context.password); });
    }
    if (unpacked.error == ERROR_INVALID_PASSWORD || unpacked.error == ERROR_WRONG_PASSWORD) {
        return std::make_unique<CErrorPWDState>(&context);
    }
    if (unpacked.error != ERROR_SUCCESS) {
        return std::make_unique<CErrorMessageState>(
            &context, IDS_PFX_PARSE_FAILED,
            FormatString(LoadLangString(IDS_PFX_PARSE_FAILED), context.fileName,
                         SVKCERT::ErrorDescription(unpacked.error)));
    }
    const auto complete = [](const SPfxKeyPair& pair) {
        return !pair.keyBlob.empty() && !pair.certificate.empty();
    };
    if (std::ranges::count_if(unpacked.pairs, complete) != 1) {
        return std::make_unique<CErrorMessageState>(
            &context, IDS_PFX_NO_CERTIFICATE,
            FormatString(LoadLangString(IDS_PFX_NO_CERTIFICATE), context.fileName));
    }
    context.keyAndCertificate = std::move(*std::ranges::find_if(unpacked.pairs, complete));
    return std::make_unique<CEnterContainerNameState>(&context);
}

}  // namespace SPFXMaster
