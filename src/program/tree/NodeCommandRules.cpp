#include "program/tree/NodeCommandRules.h"

#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/tree/CCertTree.h"
#include "program/tree/TreeCommands.h"

namespace STreeItemInfo {

namespace {

// The platform is always of the NT family here.
constexpr bool kNtPlatform = true;

bool IsUser(DWORD loginState) {
    return loginState == SVKCERT::kLoginUser;
}

}  // namespace

DWORD LoginStateOf(const std::wstring& readerName) {
    SVKCERTTREE::CCertTreePtr tree;
    CTokenInfo* token = tree->FindToken(readerName);
    return token != nullptr ? token->GetLoginState() : SVKCERT::kLoginNotRead;
}

bool IsTokenCommandEnabled(UINT commandId, DWORD loginState) {
    return commandId == kCmdImportCertificate && IsUser(loginState) && kNtPlatform;
}

bool IsContainerCommandEnabled(UINT commandId, DWORD loginState, std::optional<bool> isDefault) {
    if (!IsUser(loginState)) {
        return false;
    }
    switch (commandId) {
        case kCmdDeleteContainer:
            return true;
        case kCmdSetDefaultContainer:
            return isDefault.has_value() && !*isDefault;
        case kCmdRemoveDefaultContainer:
            return isDefault.has_value() && *isDefault;
        case kCmdImportCertificate:
            return kNtPlatform;
        default:
            return false;
    }
}

bool IsKeyCommandEnabled(UINT commandId, const CKeyFacts& facts) {
    if (facts.loginState == SVKCERT::kLoginAdmin) {
        return false;
    }
    switch (commandId) {
        case kCmdExportCertificate:
            return facts.hasCertificate;
        case kCmdImportCertificate:
            return IsUser(facts.loginState);
        case kCmdAddToStore:
            return facts.hasCertificate && !facts.registered;
        case kCmdRemoveFromStore:
            return facts.hasCertificate && facts.registered;
        default:
            return false;
    }
}

}  // namespace STreeItemInfo
