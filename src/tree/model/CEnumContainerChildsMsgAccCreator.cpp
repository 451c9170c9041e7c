#include "tree/model/CEnumContainerChildsMsgAccCreator.h"

#include "tree/model/CContainerItemInfo.h"
#include "tree/model/CEnumContainerChildsMsgAcc.h"

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
