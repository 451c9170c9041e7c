#include "program/tree/CRootItem.h"

#include "program/token/CTokenInfo.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CTokenItemInfo.h"

namespace STreeItemInfo {

CRootItem::CRootItem(CFrameFacadePtr facade) : CItemInfoDefault(std::move(facade)) {}

bool CRootItem::EnumChilds(std::vector<ITreeItemInfoPtr>& out) {
    const CEnumingScope feedback(*this);
    SVKCERTTREE::CCertTreePtr tree;
    std::vector<CTokenInfo*> tokens;
    tree->GetTokens(tokens);
    for (CTokenInfo* token : tokens) {
        out.push_back(std::make_shared<CTokenItemInfo>(GetFacade(), token->GetReaderName()));
    }
    return true;
}

}  // namespace STreeItemInfo
