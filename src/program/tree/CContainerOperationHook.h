// Tells the window about a container operation: CContainerItemInfoMsg with the operation's code
// on the frame's hub, the operation's status text and the wait cursor until its end.
#pragma once

#include <string>

#include "program/token/IContainerOperationHook.h"
#include "program/tree/CCursorSwitch.h"

class CFrameFacade;

namespace STreeItemInfo {

class ITreeItemInfo;

class CContainerOperationHook final : public SVKCERT::IContainerOperationHook {
public:
    CContainerOperationHook(const CFrameFacade& facade, ITreeItemInfo& node);

    void OnOperationStart(int code, const std::wstring& statusText) override;
    void OnOperationEnd(int code) override;

private:
    void Send(int code) const;

    const CFrameFacade& m_facade;
    ITreeItemInfo& m_node;
    UI::CCursorSwitch m_wait;
};

}  // namespace STreeItemInfo
