#include "program/tree/CEnumTokenChildsMsgAccCreator.h"

#include "program/tree/CEnumTokenChildsMsgAcc.h"
#include "program/tree/CTokenItemInfo.h"

namespace STreeItemInfo::UI {

IEnumChildsOperationMsgAcceptorPtr CEnumTokenChildsMsgAccCreator::Create(
    ITreeItemInfo* node, const CFrameFacadePtr& facade) const {
    auto* token = dynamic_cast<CTokenItemInfo*>(node);
    if (token == nullptr) {
        return {};
    }
    return std::make_shared<CEnumTokenChildsMsgAcc>(facade, token);
}

}  // namespace STreeItemInfo::UI
