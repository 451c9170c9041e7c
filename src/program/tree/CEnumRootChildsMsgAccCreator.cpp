#include "program/tree/CEnumRootChildsMsgAccCreator.h"

#include "program/tree/CEnumRootChildsMsgAcc.h"
#include "program/tree/CRootItem.h"

namespace STreeItemInfo::UI {

IEnumChildsOperationMsgAcceptorPtr CEnumRootChildsMsgAccCreator::Create(
    ITreeItemInfo* node, const CFrameFacadePtr& facade) const {
    auto* root = dynamic_cast<CRootItem*>(node);
    if (root == nullptr) {
        return {};
    }
    return std::make_shared<CEnumRootChildsMsgAcc>(facade, root);
}

}  // namespace STreeItemInfo::UI
