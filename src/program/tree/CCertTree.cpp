#include "program/tree/CCertTree.h"

#include <algorithm>
#include <set>

#include "program/token/CContainerInfo.h"
#include "program/token/CTokenInfo.h"
#include "program/token/ReaderNames.h"

namespace SVKCERTTREE {

CCertTree::CCertTree() = default;
CCertTree::~CCertTree() = default;

void CCertTree::LoadIfNeeded() {
    if (m_loaded) {
        return;
    }
    for (auto& reader : SVKCERT::EnumReaderNames()) {
        m_tokens.push_back(std::make_unique<CTokenInfo>(std::move(reader), m_provider));
    }
    m_loaded = true;
}

bool CCertTree::GetTokens(std::vector<CTokenInfo*>& out) {
    LoadIfNeeded();
    out.clear();
    for (const auto& token : m_tokens) {
        out.push_back(token.get());
    }
    return true;
}

CTokenInfo* CCertTree::FindToken(const std::wstring& readerName) {
    LoadIfNeeded();
    for (const auto& token : m_tokens) {
        if (token->GetReaderName() == readerName) {
            return token.get();
        }
    }
    return nullptr;
}

CContainerInfo* CCertTree::FindContainer(const std::wstring& readerName,
                                         const std::wstring& containerName) {
    CTokenInfo* token = FindToken(readerName);
    return token != nullptr ? token->FindContainer(containerName) : nullptr;
}

CKeyInfo* CCertTree::FindKey(const std::wstring& readerName, const std::wstring& containerName,
                             DWORD keySpec) {
    CContainerInfo* container = FindContainer(readerName, containerName);
    return container != nullptr ? container->GetKey(keySpec) : nullptr;
}

void CCertTree::Reset() {
    m_tokens.clear();
    m_loaded = false;
}

void CCertTree::Resynchronise() {
    const std::vector<std::wstring> present = SVKCERT::EnumReaderNames();
    // std::wstring compares code unit by code unit.
    std::set<std::wstring> fresh(present.begin(), present.end());
    std::erase_if(m_tokens, [&fresh](const std::unique_ptr<CTokenInfo>& token) {
        return fresh.erase(token->GetReaderName()) == 0;
    });
    for (const auto& reader : fresh) {
        m_tokens.push_back(std::make_unique<CTokenInfo>(reader, m_provider));
    }
    m_loaded = true;
}

}  // namespace SVKCERTTREE
