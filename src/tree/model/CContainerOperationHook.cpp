#include "tree/model/CContainerOperationHook.h"

#include "tree/model/CTreeMessageHub.h"
#include "ui/model/CFrameFacade.h"
#include "ui/model/IUserInterface.h"

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
