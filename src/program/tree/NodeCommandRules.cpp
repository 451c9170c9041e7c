#include "program/tree/NodeCommandRules.h"

#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/tree/CCertTree.h"
#include "res/resource.h"

namespace STreeItemInfo {

namespace {

// The platform is always of the NT family here.
constexpr bool kNtPlatform = true;

bool IsUser(DWORD loginState) {
    return loginState == SVKCERT::kLoginUser;
}

}  // namespace

bool IsNodeCommand(UINT commandId) {
    switch (commandId) {
        case ID_ACTIONS_EXPORT_CERT:
        case ID_ACTIONS_IMPORT_CERT:
        case ID_ACTIONS_ADD_TO_STORE:
        case ID_ACTIONS_REMOVE_FROM_STORE:
        case ID_ACTIONS_SET_DEFAULT:
        case ID_ACTIONS_REMOVE_DEFAULT:
        case ID_ACTIONS_DELETE_CONTAINER:
            return true;
        default:
            return false;
    }
}

DWORD LoginStateOf(const std::wstring& readerName) {
    SVKCERTTREE::CCertTreePtr tree;
    CTokenInfo* token = tree->FindToken(readerName);
    return token != nullptr ? token->GetLoginState() : SVKCERT::kLoginNotRead;
}

bool IsTokenCommandEnabled(UINT commandId, DWORD loginState) {
    return commandId == ID_ACTIONS_IMPORT_CERT && IsUser(loginState) && kNtPlatform;
}

bool IsContainerCommandEnabled(UINT commandId, DWORD loginState, std::optional<bool> isDefault) {
    if (!IsUser(loginState)) {
        return false;
    }
    switch (commandId) {
        case ID_ACTIONS_DELETE_CONTAINER:
            return true;
        case ID_ACTIONS_SET_DEFAULT:
            return isDefault.has_value() && !*isDefault;
        case ID_ACTIONS_REMOVE_DEFAULT:
            return isDefault.has_value() && *isDefault;
        case ID_ACTIONS_IMPORT_CERT:
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
        case ID_ACTIONS_EXPORT_CERT:
            return facts.hasCertificate;
        case ID_ACTIONS_IMPORT_CERT:
            return IsUser(facts.loginState);
        case ID_ACTIONS_ADD_TO_STORE:
            return facts.hasCertificate && !facts.registered;
        case ID_ACTIONS_REMOVE_FROM_STORE:
            return facts.hasCertificate && facts.registered;
        default:
            return false;
    }
}

}  // namespace STreeItemInfo
