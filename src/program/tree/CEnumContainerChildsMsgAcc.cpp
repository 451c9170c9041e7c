#include "program/tree/CEnumContainerChildsMsgAcc.h"

#include "program/tree/CContainerItemInfo.h"
#include "res/resource.h"

namespace STreeItemInfo::UI {

CEnumContainerChildsMsgAcc::CEnumContainerChildsMsgAcc(CFrameFacadePtr facade,
                                                       CContainerItemInfo* node)
    : CEnumChildsOperationMsgAcceptorDefault(std::move(facade)), m_node(node) {}

void CEnumContainerChildsMsgAcc::OnEnumStart() {
    ShowStatus(IDS_READING_CONTAINER_CERTS, m_node->GetContainerName());
    m_cursor.On();
}

}  // namespace STreeItemInfo::UI
