#include "program/tree/CEnumRootChildsMsgAcc.h"

#include "program/tree/CRootItem.h"
#include "program/tree/TreeStrings.h"

namespace STreeItemInfo::UI {

CEnumRootChildsMsgAcc::CEnumRootChildsMsgAcc(CFrameFacadePtr facade, CRootItem* node)
    : CEnumChildsOperationMsgAcceptorDefault(std::move(facade)), m_node(node) {}

void CEnumRootChildsMsgAcc::OnEnumStart() {
    m_cursor.On();
    ShowStatus(kStrUpdatingTokenList);
}

}  // namespace STreeItemInfo::UI
