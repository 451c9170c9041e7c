// The data model behind the tree: one token information object per reader the middleware
// reports, loaded on the first query and thrown away with Reset. Process-wide through
// CCertTreePtr; nodes keep a holder for as long as they use what it answers. Window thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/core/sdp/singleton_auto_pointer.h"
#include "program/token/CProviderDescriptor.h"

class CTokenInfo;
class CContainerInfo;
class CKeyInfo;

namespace SVKCERTTREE {

class CCertTree {
public:
    CCertTree();
    ~CCertTree();
    CCertTree(const CCertTree&) = delete;
    CCertTree& operator=(const CCertTree&) = delete;

    // Loads if needed, then copies the token pointers (owned by the tree) in reader order.
    bool GetTokens(std::vector<CTokenInfo*>& out);
    // The first token of exactly that reader name, or null.
    CTokenInfo* FindToken(const std::wstring& readerName);
    CContainerInfo* FindContainer(const std::wstring& readerName,
                                  const std::wstring& containerName);
    CKeyInfo* FindKey(const std::wstring& readerName, const std::wstring& containerName,
                      DWORD keySpec);

    // Forgets every token; the next query loads again.
    void Reset();
    // Keeps the tokens of readers still present (with what they cached, in their order), drops
    // the others and appends new readers in ascending name order.
    void Resynchronise();
    bool IsLoaded() const { return m_loaded; }

    void SetProductWord(std::wstring word) { m_productWord = std::move(word); }
    const std::wstring& GetProductWord() const { return m_productWord; }
    void SetProviderDescriptor(SVKCERT::CProviderDescriptor provider) {
        m_provider = std::move(provider);
    }
    const SVKCERT::CProviderDescriptor& GetProviderDescriptor() const { return m_provider; }

private:
    void LoadIfNeeded();

    std::vector<std::unique_ptr<CTokenInfo>> m_tokens;
    bool m_loaded = false;
    std::wstring m_productWord = L"Velkora";
    SVKCERT::CProviderDescriptor m_provider;
};

// A holder of the process's certificate tree: the first holder creates it, the last destroys it.
using CCertTreePtr = SDP::singleton_auto_pointer<CCertTree>;

}  // namespace SVKCERTTREE
