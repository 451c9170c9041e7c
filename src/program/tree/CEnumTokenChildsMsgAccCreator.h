// Builds the acceptor for CTokenItemInfo nodes.
#pragma once

#include "program/tree/IEnumChildsMsgAcceptorCreator.h"

namespace STreeItemInfo::UI {

class CEnumTokenChildsMsgAccCreator final : public IEnumChildsMsgAcceptorCreator {
public:
    std::string GetNodeClassName() const override { return "CTokenItemInfo"; }
    // Empty unless the node really is a CTokenItemInfo.
    IEnumChildsOperationMsgAcceptorPtr Create(ITreeItemInfo* node,
                                              const CFrameFacadePtr& facade) const override;
};

}  // namespace STreeItemInfo::UI
