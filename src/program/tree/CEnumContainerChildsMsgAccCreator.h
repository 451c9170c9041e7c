// Builds the acceptor for CContainerItemInfo nodes.
#pragma once

#include "program/tree/IEnumChildsMsgAcceptorCreator.h"

namespace STreeItemInfo::UI {

class CEnumContainerChildsMsgAccCreator final : public IEnumChildsMsgAcceptorCreator {
public:
    std::string GetNodeClassName() const override { return "CContainerItemInfo"; }
    // Empty unless the node really is a CContainerItemInfo.
    IEnumChildsOperationMsgAcceptorPtr Create(ITreeItemInfo* node,
                                              const CFrameFacadePtr& facade) const override;
};

}  // namespace STreeItemInfo::UI
