#include "program/tree/CTokenChangeTracker.h"

#include <algorithm>
#include <set>

#include "platform/text/FormatString.h"
#include "program/token/CTokenInfo.h"
#include "program/token/LoginState.h"
#include "program/token/ReaderNames.h"
#include "program/token/STokenRecord.h"
#include "program/tree/CUpdateRequest.h"

namespace STreeItemInfo {

namespace {

// What tells one token from another: its ID, label and model; nothing for an empty reader.
std::wstring TokenIdentity(const STokenRecord& record) {
    if (!record.present) {
        return {};
    }
    return FormatString(L"%08X", record.tokenId) + L"|" + record.label + L"|" + record.typeText;
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The node of `path`, searched level by level; else the deepest one whose path leads to it;
// else the first top-level node.
ITreePane::NodePtr FindPathOrAncestor(ITreePane& pane, const std::wstring& path) {
    std::vector<ITreePane::NodePtr> level;
    pane.ChildNodes(nullptr, level);
    ITreePane::NodePtr deepest = level.empty() ? nullptr : level.front();
    while (!level.empty()) {
        ITreePane::NodePtr next;
        for (const ITreePane::NodePtr& child : level) {
            const std::wstring childPath = child->GetPath();
            if (childPath == path) {
                return child;
            }
            if (path.starts_with(childPath + L"\\")) {
                next = child;
            }
        }
        if (!next) {
            break;
        }
        deepest = next;
        level = pane.OpenChildren(next.get());
    }
    return deepest;
}

}  // namespace

void SynchroniseAndReselect(ITreePane& pane, const std::function<void()>& synchronise,
                            bool showAgain) {
    const ITreePane::NodePtr before = pane.SelectedNode();
    const std::wstring path = before ? before->GetPath() : std::wstring();
    synchronise();
    const ITreePane::NodePtr target = FindPathOrAncestor(pane, path);
    if (!target) {
        return;  // an empty tree: the pane shows its default view
    }
    if (pane.SelectedNode() != target) {
        pane.SelectNode(target.get());
    } else if (showAgain) {
        target->OnUpdate(CUpdateRequest{kUpdateSelected});
    }
}

void CTokenChangeTracker::Note() {
    m_identities.clear();
    for (CTokenInfo* token : Tokens()) {
        m_identities[token->GetReaderName()] = TokenIdentity(token->GetTokenRecord());
    }
}

bool CTokenChangeTracker::ChangedSinceNoted() {
    std::set<std::wstring> known;
    for (CTokenInfo* token : Tokens()) {
        known.insert(token->GetReaderName());
    }
    const std::vector<std::wstring> present = SVKCERT::EnumReaderNames();
    if (std::set<std::wstring>(present.begin(), present.end()) != known) {
        return true;
    }
    return ReadIdentities() != m_identities;
}

bool CTokenChangeTracker::LoginStatesChangedSinceRead() {
    const std::vector<CTokenInfo*> tokens = Tokens();
    return std::any_of(tokens.begin(), tokens.end(), [](CTokenInfo* token) {
        return token->GetLoginState() != SVKCERT::ReadLoginState(token->GetReaderName());
    });
}

void CTokenChangeTracker::OnDevicesChanged(ITreePane& pane,
                                           std::vector<std::wstring> changedReaders) {
    m_tree->Resynchronise();
    // A token inserted, removed or swapped in a reader that stayed: what the tree knew of that
    // reader's token is stale, labels, containers and keys alike.
    const std::map<std::wstring, std::wstring> identities = ReadIdentities();
    for (const auto& [reader, identity] : identities) {
        const auto known = m_identities.find(reader);
        if (known != m_identities.end() && known->second != identity) {
            changedReaders.push_back(reader);
        }
    }
    m_identities = identities;
    if (!changedReaders.empty()) {
        m_tree->Reset();
    }
    const ITreePane::NodePtr selected = pane.SelectedNode();
    const bool selectedChanged = selected && Contains(changedReaders, selected->GetTokenName());
    SynchroniseAndReselect(
        pane,
        [&] {
            pane.SynchroniseChildren(nullptr);
            std::vector<ITreePane::NodePtr> tokens;
            pane.ChildNodes(nullptr, tokens);
            for (const ITreePane::NodePtr& token : tokens) {
                if (Contains(changedReaders, token->GetTokenName())) {
                    pane.ResynchroniseTree(token.get());
                }
            }
        },
        selectedChanged);
}

void CTokenChangeTracker::Refresh(ITreePane& pane) {
    m_tree->Reset();
    SynchroniseAndReselect(
        pane, [&pane] { pane.ResynchroniseTree(nullptr); }, true);
    Note();
}

std::vector<CTokenInfo*> CTokenChangeTracker::Tokens() {
    std::vector<CTokenInfo*> tokens;
    m_tree->GetTokens(tokens);
    return tokens;
}

std::map<std::wstring, std::wstring> CTokenChangeTracker::ReadIdentities() {
    std::map<std::wstring, std::wstring> identities;
    for (CTokenInfo* token : Tokens()) {
        identities[token->GetReaderName()] = TokenIdentity(ReadTokenRecord(token->GetReaderName()));
    }
    return identities;
}

}  // namespace STreeItemInfo
