#include "program/tree/CEnumTokenChildsMsgAcc.h"

#include "program/tree/CTokenItemInfo.h"
#include "res/resource.h"

namespace STreeItemInfo::UI {

CEnumTokenChildsMsgAcc::CEnumTokenChildsMsgAcc(CFrameFacadePtr facade, CTokenItemInfo* node)
    : CEnumChildsOperationMsgAcceptorDefault(std::move(facade)), m_node(node) {}

void CEnumTokenChildsMsgAcc::OnEnumStart() {
    m_cursor.On();
    ShowStatus(IDS_READING_TOKEN_CONTAINERS, m_node->GetTokenName());
}

}  // namespace STreeItemInfo::UI
