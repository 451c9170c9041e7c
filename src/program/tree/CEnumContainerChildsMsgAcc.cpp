#include "program/tree/CEnumContainerChildsMsgAcc.h"

#include "program/tree/CContainerItemInfo.h"
#include "program/tree/TreeStrings.h"

namespace STreeItemInfo::UI {

CEnumContainerChildsMsgAcc::CEnumContainerChildsMsgAcc(CFrameFacadePtr facade,
                                                       CContainerItemInfo* node)
    : CEnumChildsOperationMsgAcceptorDefault(std::move(facade)), m_node(node) {}

void CEnumContainerChildsMsgAcc::OnEnumStart() {
    ShowStatus(kStrReadingContainerCertificates, m_node->GetContainerName());
    m_cursor.On();
}

}  // namespace STreeItemInfo::UI
