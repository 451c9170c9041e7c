// Picks, by node class name, the creator of the acceptor that shows a node's enumeration
// feedback. The frame owns one and hands every CItemChildsEnumingMsg to Dispatch.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "program/tree/IEnumChildsMsgAcceptorCreator.h"
#include "program/tree/TreeMessages.h"
#include "program/ui/CFrameFacade.h"

namespace STreeItemInfo::UI {

class CEnumChildsMsgAcceptorRegistry {
public:
    CEnumChildsMsgAcceptorRegistry() = default;
    explicit CEnumChildsMsgAcceptorRegistry(CFrameFacadePtr facade) : m_facade(std::move(facade)) {}

    void SetFacade(CFrameFacadePtr facade) { m_facade = std::move(facade); }

    // Keyed by the creator's node class name; a later creator for the same name replaces it.
    void Register(IEnumChildsMsgAcceptorCreatorPtr creator);
    // A new acceptor for the node, or an empty handle.
    IEnumChildsOperationMsgAcceptorPtr Find(ITreeItemInfo* node) const;

    // Code 1 starts the node's feedback, code 2 ends it with the acceptor kept from its start;
    // other codes do nothing.
    void Dispatch(const CItemChildsEnumingMsg& msg);

private:
    std::map<std::string, IEnumChildsMsgAcceptorCreatorPtr> m_creators;
    CFrameFacadePtr m_facade;
    // Acceptors whose end has not come yet, innermost last.
    std::vector<std::pair<ITreeItemInfo*, IEnumChildsOperationMsgAcceptorPtr>> m_open;
};

// Registers the root, token and container creators, in that order.
void RegisterDefaultCreators(CEnumChildsMsgAcceptorRegistry& registry);

}  // namespace STreeItemInfo::UI
