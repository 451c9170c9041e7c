#include "tree/model/CEnumRootChildsMsgAccCreator.h"

#include "tree/model/CEnumRootChildsMsgAcc.h"
#include "tree/model/CRootItem.h"

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
