#include "program/tree/CEnumContainerChildsMsgAccCreator.h"

#include "program/tree/CContainerItemInfo.h"
#include "program/tree/CEnumContainerChildsMsgAcc.h"

namespace STreeItemInfo::UI {

IEnumChildsOperationMsgAcceptorPtr CEnumContainerChildsMsgAccCreator::Create(
    ITreeItemInfo* node, const CFrameFacadePtr& facade) const {
    auto* container = dynamic_cast<CContainerItemInfo*>(node);
    if (container == nullptr) {
        return {};
    }
    return std::make_shared<CEnumContainerChildsMsgAcc>(facade, container);
}

}  // namespace STreeItemInfo::UI
