#include "platform/crypto/SoftwareKeyStore.h"

#include "platform/crypto/OpenSslInit.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::crypto {

SoftwareKeyStore& SoftwareKeyStore::Instance() {
    static SoftwareKeyStore store;
    return store;
}

// Keys may still sit here at exit: OpenSSL must outlive them.
SoftwareKeyStore::SoftwareKeyStore() {
    OpenSslInit();
}

std::shared_ptr<SoftwareKeySet> SoftwareKeyStore::Create(const std::wstring& name) {
    std::lock_guard lock(m_mutex);
    auto [it, inserted] = m_sets.try_emplace(name, nullptr);
    if (!inserted) {
        SetLastError(NTE_EXISTS);
        return nullptr;
    }
    it->second = std::make_shared<SoftwareKeySet>(name);
    return it->second;
}

std::shared_ptr<SoftwareKeySet> SoftwareKeyStore::Open(const std::wstring& name) const {
    std::lock_guard lock(m_mutex);
    auto it = m_sets.find(name);
    if (it == m_sets.end()) {
        SetLastError(NTE_BAD_KEYSET);
        return nullptr;
    }
    return it->second;
}

BOOL SoftwareKeyStore::Delete(const std::wstring& name) {
    std::shared_ptr<SoftwareKeySet> set;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_sets.find(name);
        if (it == m_sets.end()) {
            SetLastError(NTE_BAD_KEYSET);
            return FALSE;
        }
        set = std::move(it->second);
        m_sets.erase(it);
    }
    set->MarkDeleted();
    return TRUE;
}

std::vector<std::wstring> SoftwareKeyStore::Names() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::wstring> names;
    names.reserve(m_sets.size());
    for (const auto& [name, set] : m_sets) {
        names.push_back(name);
    }
    return names;
}

}  // namespace vk::crypto
