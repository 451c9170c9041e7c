#include "program/tree/CEnumChildsMsgAcceptorRegistry.h"

#include <algorithm>

#include "program/tree/CEnumContainerChildsMsgAccCreator.h"
#include "program/tree/CEnumRootChildsMsgAccCreator.h"
#include "program/tree/CEnumTokenChildsMsgAccCreator.h"
#include "program/tree/ITreeItemInfo.h"

namespace STreeItemInfo::UI {

void CEnumChildsMsgAcceptorRegistry::Register(IEnumChildsMsgAcceptorCreatorPtr creator) {
    if (creator != nullptr) {
        const std::string name = creator->GetNodeClassName();
        m_creators[name] = std::move(creator);
    }
}

IEnumChildsOperationMsgAcceptorPtr CEnumChildsMsgAcceptorRegistry::Find(ITreeItemInfo* node) const {
    if (node == nullptr) {
        return {};
    }
    const auto found = m_creators.find(node->GetClassName());
    if (found == m_creators.end()) {
        return {};
    }
    return found->second->Create(node, m_facade);
}

void CEnumChildsMsgAcceptorRegistry::Dispatch(const CItemChildsEnumingMsg& msg) {
    if (msg.code == 1) {
        IEnumChildsOperationMsgAcceptorPtr acceptor = Find(msg.node);
        if (acceptor != nullptr) {
            acceptor->OnEnumStart();
            m_open.emplace_back(msg.node, std::move(acceptor));
        }
        return;
    }
    if (msg.code != 2) {
        return;
    }
    // The acceptor of the node's latest start carries the cursor shown before it.
    const auto started = std::find_if(m_open.rbegin(), m_open.rend(),
                                      [&msg](const auto& open) { return open.first == msg.node; });
    if (started != m_open.rend()) {
        const IEnumChildsOperationMsgAcceptorPtr acceptor = started->second;
        m_open.erase(std::next(started).base());
        acceptor->OnEnumEnd();
        return;
    }
    if (IEnumChildsOperationMsgAcceptorPtr acceptor = Find(msg.node)) {
        acceptor->OnEnumEnd();
    }
}

void RegisterDefaultCreators(CEnumChildsMsgAcceptorRegistry& registry) {
    registry.Register(std::make_shared<CEnumRootChildsMsgAccCreator>());
    registry.Register(std::make_shared<CEnumTokenChildsMsgAccCreator>());
    registry.Register(std::make_shared<CEnumContainerChildsMsgAccCreator>());
}

}  // namespace STreeItemInfo::UI
