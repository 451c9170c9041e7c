// Builds the acceptor for CRootItem nodes.
#pragma once

#include "program/tree/IEnumChildsMsgAcceptorCreator.h"

namespace STreeItemInfo::UI {

class CEnumRootChildsMsgAccCreator final : public IEnumChildsMsgAcceptorCreator {
public:
    std::string GetNodeClassName() const override { return "CRootItem"; }
    // Empty unless the node really is a CRootItem.
    IEnumChildsOperationMsgAcceptorPtr Create(ITreeItemInfo* node,
                                              const CFrameFacadePtr& facade) const override;
};

}  // namespace STreeItemInfo::UI
