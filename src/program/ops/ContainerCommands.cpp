#include "program/ops/ContainerCommands.h"

#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/token/CCertException.h"
#include "program/token/CTokenInfo.h"
#include "program/token/ErrorText.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SVKCERT {

namespace {

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

void DeleteContainerCommand(CTokenInfo* token, const std::wstring& container,
                            IContainerOperationHook* hook) {
    const std::wstring question =
        FormatString(LoadLangString(IDS_CONFIRM_DELETE_CONTAINER), container);
    if (ShowMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES || token == nullptr) {
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
