#include "tree/model/CEnumTokenChildsMsgAcc.h"

#include "tree/model/CTokenItemInfo.h"
#include "tree/model/TreeStrings.h"

namespace STreeItemInfo::UI {

CEnumTokenChildsMsgAcc::CEnumTokenChildsMsgAcc(CFrameFacadePtr facade, CTokenItemInfo* node)
    : CEnumChildsOperationMsgAcceptorDefault(std::move(facade)), m_node(node) {}

void CEnumTokenChildsMsgAcc::OnEnumStart() {
    m_cursor.On();
    ShowStatus(kStrReadingTokenContainers, m_node->GetTokenName());
}

}  // namespace STreeItemInfo::UI
