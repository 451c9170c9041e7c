#include "program/ops/ContainerCommands.h"

#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/token/CCertException.h"
#include "program/token/CTokenInfo.h"
#include "program/token/ErrorText.h"
#include "program/token/STokenRecord.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SVKCERT {

namespace {

// The same token: present in both, with the same ID, label and model.
bool SameToken(const STokenRecord& a, const STokenRecord& b) {
    return a.present && b.present && a.tokenId == b.tokenId && a.label == b.label &&
           a.typeText == b.typeText;
}

// Announces the start on construction and the end on destruction, so the window hears the end
// also when the operation fails.
class COperationBracket {
public:
    COperationBracket(IContainerOperationHook* hook, int startCode, const std::wstring& status)
        : m_hook(hook), m_endCode(startCode + 1) {
        if (m_hook != nullptr) {
            m_hook->OnOperationStart(startCode, status);
        }
    }
    ~COperationBracket() {
        if (m_hook != nullptr) {
            m_hook->OnOperationEnd(m_endCode);
        }
    }
    COperationBracket(const COperationBracket&) = delete;
    COperationBracket& operator=(const COperationBracket&) = delete;

private:
    IContainerOperationHook* m_hook;
    int m_endCode;
};

}  // namespace

void DeleteContainerCommand(const std::wstring& readerName, const TokenLookup& findToken,
                            const std::wstring& container, IContainerOperationHook* hook) {
    // The token asked about, told apart from one put into the reader while the question is up.
    const STokenRecord asked = ReadTokenRecord(readerName);
    const std::wstring question =
        FormatString(LoadLangString(IDS_CONFIRM_DELETE_CONTAINER), container);
    if (ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    CTokenInfo* token = findToken ? findToken(readerName) : nullptr;
    if (token == nullptr) {
        return;
    }
    if (!SameToken(asked, ReadTokenRecord(readerName))) {
        ShowMessageBox(ErrorDescription(SCARD_W_REMOVED_CARD), MB_ICONINFORMATION);
        return;
    }
    try {
        COperationBracket bracket(hook, kDeleteContainerStart,
                                  FormatString(LoadLangString(IDS_REMOVING_CONTAINER), container));
        token->DeleteContainer(container);
    } catch (const SEXCPT::CCertException& e) {
        // The window has heard the end; the user hears why.
        ShowMessageBox(ErrorDescription(e.GetCode()), MB_ICONINFORMATION);
    }
}

void SetDefaultContainerCommand(CTokenInfo* token, const std::wstring& container,
                                IContainerOperationHook* hook) {
    if (token == nullptr || token->FindContainer(container) == nullptr) {
        return;
    }
    std::wstring message;
    try {
        COperationBracket bracket(hook, kSetDefaultStart, LoadLangString(IDS_SETTING_DEFAULT));
        token->SetDefaultContainer(container, true);
        message = FormatString(LoadLangString(IDS_SET_DEFAULT_SUCCEEDED), container);
    } catch (const SEXCPT::CCertException& e) {
        message = FormatString(LoadLangString(IDS_SET_DEFAULT_FAILED), container,
                               ErrorDescription(e.GetCode()));
    }
    ShowMessageBox(message, MB_ICONINFORMATION);
}

void RemoveDefaultContainerCommand(CTokenInfo* token, const std::wstring& container,
                                   IContainerOperationHook* hook) {
    if (token == nullptr || token->FindContainer(container) == nullptr) {
        return;
    }
    std::wstring message;
    try {
        COperationBracket bracket(hook, kRemoveDefaultStart, LoadLangString(IDS_REMOVING_DEFAULT));
        token->SetDefaultContainer(container, false);
        message = FormatString(LoadLangString(IDS_REMOVE_DEFAULT_SUCCEEDED), container);
    } catch (const SEXCPT::CCertException& e) {
        message =
            FormatString(LoadLangString(IDS_REMOVE_DEFAULT_FAILED), ErrorDescription(e.GetCode()));
    }
    ShowMessageBox(message, MB_ICONINFORMATION);
}

}  // namespace SVKCERT
