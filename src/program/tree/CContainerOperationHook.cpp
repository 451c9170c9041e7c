#include "program/tree/CContainerOperationHook.h"

#include "program/tree/CTreeMessageHub.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/IUserInterface.h"

namespace STreeItemInfo {

CContainerOperationHook::CContainerOperationHook(const CFrameFacade& facade, ITreeItemInfo& node)
    : m_facade(facade), m_node(node), m_wait(IDC_WAIT, true) {}

void CContainerOperationHook::OnOperationStart(int code, const std::wstring& statusText) {
    m_wait.On();
    m_facade.SetStatusMessage(statusText);
    Send(code);
}

void CContainerOperationHook::OnOperationEnd(int code) {
    Send(code);
    m_facade.SetStatusMessage();
    m_wait.Off();
}

void CContainerOperationHook::Send(int code) const {
    if (CTreeMessageHub* hub = m_facade.MessageHub()) {
        hub->containerItemInfo.Send(CContainerItemInfoMsg{&m_node, static_cast<DWORD>(code)});
    }
}

}  // namespace STreeItemInfo
