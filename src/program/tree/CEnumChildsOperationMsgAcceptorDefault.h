// The base of the enumeration acceptors: the frame facade and the wait cursor. Subclasses show
// their status text; the end puts the cursor back and the frame's idle text.
#pragma once

#include <string>

#include "program/tree/CCursorSwitch.h"
#include "program/tree/IEnumChildsOperationMsgAcceptor.h"
#include "program/ui/CFrameFacade.h"

namespace STreeItemInfo::UI {

class CEnumChildsOperationMsgAcceptorDefault : public IEnumChildsOperationMsgAcceptor {
public:
    explicit CEnumChildsOperationMsgAcceptorDefault(CFrameFacadePtr facade);

    void OnEnumEnd() override;

protected:
    // String `id` in the interface language with `argument` in place of its "%s".
    void ShowStatus(UINT id, const std::wstring& argument) const;
    void ShowStatus(UINT id) const;

    CFrameFacadePtr m_facade;
    CCursorSwitch m_cursor;
};

}  // namespace STreeItemInfo::UI
