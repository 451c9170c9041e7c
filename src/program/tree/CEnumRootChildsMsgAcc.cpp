#include "program/tree/CEnumRootChildsMsgAcc.h"

#include "program/tree/CRootItem.h"
#include "res/resource.h"

namespace STreeItemInfo::UI {

CEnumRootChildsMsgAcc::CEnumRootChildsMsgAcc(CFrameFacadePtr facade, CRootItem* node)
    : CEnumChildsOperationMsgAcceptorDefault(std::move(facade)), m_node(node) {}

void CEnumRootChildsMsgAcc::OnEnumStart() {
    m_cursor.On();
    ShowStatus(IDS_UPDATING_TOKEN_LIST);
}

}  // namespace STreeItemInfo::UI
