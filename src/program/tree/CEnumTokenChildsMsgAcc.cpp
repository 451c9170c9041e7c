#include "program/tree/CEnumTokenChildsMsgAcc.h"

#include "program/tree/CTokenItemInfo.h"
#include "program/tree/TreeStrings.h"

namespace STreeItemInfo::UI {

CEnumTokenChildsMsgAcc::CEnumTokenChildsMsgAcc(CFrameFacadePtr facade, CTokenItemInfo* node)
    : CEnumChildsOperationMsgAcceptorDefault(std::move(facade)), m_node(node) {}

void CEnumTokenChildsMsgAcc::OnEnumStart() {
    m_cursor.On();
    ShowStatus(kStrReadingTokenContainers, m_node->GetTokenName());
}

}  // namespace STreeItemInfo::UI
