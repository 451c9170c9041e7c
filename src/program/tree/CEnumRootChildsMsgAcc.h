// Feedback while CRootItem nodes read their children (IDS_UPDATING_TOKEN_LIST).
#pragma once

#include "program/tree/CEnumChildsOperationMsgAcceptorDefault.h"

namespace STreeItemInfo {
class CRootItem;
}

namespace STreeItemInfo::UI {

class CEnumRootChildsMsgAcc final : public CEnumChildsOperationMsgAcceptorDefault {
public:
    CEnumRootChildsMsgAcc(CFrameFacadePtr facade, CRootItem* node);

    void OnEnumStart() override;
    // The node the acceptor reports on.
    auto* GetNode() const { return m_node; }

private:
    CRootItem* m_node;
};

}  // namespace STreeItemInfo::UI
