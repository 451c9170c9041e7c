// Feedback while CTokenItemInfo nodes read their children (IDS_READING_TOKEN_CONTAINERS).
#pragma once

#include "program/tree/CEnumChildsOperationMsgAcceptorDefault.h"

namespace STreeItemInfo {
class CTokenItemInfo;
}

namespace STreeItemInfo::UI {

class CEnumTokenChildsMsgAcc final : public CEnumChildsOperationMsgAcceptorDefault {
public:
    CEnumTokenChildsMsgAcc(CFrameFacadePtr facade, CTokenItemInfo* node);

    void OnEnumStart() override;
    // The node the acceptor reports on.
    auto* GetNode() const { return m_node; }

private:
    CTokenItemInfo* m_node;
};

}  // namespace STreeItemInfo::UI
