// Feedback while CContainerItemInfo nodes read their children (IDS_READING_CONTAINER_CERTS).
#pragma once

#include "program/tree/CEnumChildsOperationMsgAcceptorDefault.h"

namespace STreeItemInfo {
class CContainerItemInfo;
}

namespace STreeItemInfo::UI {

class CEnumContainerChildsMsgAcc final : public CEnumChildsOperationMsgAcceptorDefault {
public:
    CEnumContainerChildsMsgAcc(CFrameFacadePtr facade, CContainerItemInfo* node);

    void OnEnumStart() override;
    // The node the acceptor reports on.
    auto* GetNode() const { return m_node; }

private:
    CContainerItemInfo* m_node;
};

}  // namespace STreeItemInfo::UI
