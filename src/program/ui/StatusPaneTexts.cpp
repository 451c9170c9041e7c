#include "program/ui/StatusPaneTexts.h"

#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/token/STokenRecord.h"
#include "res/resource.h"

namespace {

std::wstring RoleText(DWORD loginState) {
    switch (loginState) {
        case SVKCERT::kLoginGuest:
            return LoadLangString(IDS_ROLE_GUEST);
        case SVKCERT::kLoginUser:
            return LoadLangString(IDS_ROLE_USER);
        case SVKCERT::kLoginAdmin:
            return LoadLangString(IDS_ROLE_ADMIN);
        default:
            return {};
    }
}

}  // namespace

SStatusPaneTexts TokenStatusPaneTexts(CTokenInfo* token) {
    if (token == nullptr) {
        return {};
    }
    const STokenRecord record = token->GetTokenRecord();
    if (!record.present) {
        return {};  // an empty reader
    }
    return {
        FormatString(LoadLangString(ID_INDICATOR_ACCESS), RoleText(token->GetLoginState())),
        FormatString(LoadLangString(ID_INDICATOR_TOKEN_ID), FormatString(L"%08X", record.tokenId)),
        FormatString(LoadLangString(ID_INDICATOR_FREE_BYTES),
                     FormatString(L"%d", static_cast<int>(record.freeMemory)))};
}
