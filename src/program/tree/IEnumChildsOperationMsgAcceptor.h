// The feedback for one node's child enumeration: shown at the start, taken away at the end.
#pragma once

#include <memory>

namespace STreeItemInfo::UI {

class IEnumChildsOperationMsgAcceptor {
public:
    virtual void OnEnumStart() = 0;
    virtual void OnEnumEnd() = 0;
    virtual ~IEnumChildsOperationMsgAcceptor() = default;
};

using IEnumChildsOperationMsgAcceptorPtr = std::shared_ptr<IEnumChildsOperationMsgAcceptor>;

}  // namespace STreeItemInfo::UI
