#include "program/tree/CEnumChildsOperationMsgAcceptorDefault.h"

#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ui/IUserInterface.h"

namespace STreeItemInfo::UI {

CEnumChildsOperationMsgAcceptorDefault::CEnumChildsOperationMsgAcceptorDefault(
    CFrameFacadePtr facade)
    : m_facade(std::move(facade)), m_cursor(IDC_WAIT) {}

void CEnumChildsOperationMsgAcceptorDefault::OnEnumEnd() {
    m_cursor.Off();
    if (m_facade != nullptr) {
        m_facade->SetStatusMessage();
    }
}

void CEnumChildsOperationMsgAcceptorDefault::ShowStatus(UINT id,
                                                        const std::wstring& argument) const {
    if (m_facade != nullptr) {
        m_facade->SetStatusMessage(FormatString(LoadLangString(id), argument));
    }
}

void CEnumChildsOperationMsgAcceptorDefault::ShowStatus(UINT id) const {
    if (m_facade != nullptr) {
        m_facade->SetStatusMessage(LoadLangString(id));
    }
}

}  // namespace STreeItemInfo::UI
