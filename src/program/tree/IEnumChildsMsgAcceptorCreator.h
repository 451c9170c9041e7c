// Builds the enumeration acceptor for nodes of one class.
#pragma once

#include <memory>
#include <string>

#include "program/tree/IEnumChildsOperationMsgAcceptor.h"
#include "program/ui/CFrameFacade.h"

namespace STreeItemInfo {
class ITreeItemInfo;
}

namespace STreeItemInfo::UI {

class IEnumChildsMsgAcceptorCreator {
public:
    virtual std::string GetNodeClassName() const = 0;
    virtual IEnumChildsOperationMsgAcceptorPtr Create(ITreeItemInfo* node,
                                                      const CFrameFacadePtr& facade) const = 0;
    virtual ~IEnumChildsMsgAcceptorCreator() = default;
};

using IEnumChildsMsgAcceptorCreatorPtr = std::shared_ptr<IEnumChildsMsgAcceptorCreator>;

}  // namespace STreeItemInfo::UI
