// A key container of the software providers: at most one exchange and one
// signature key, in memory only. A deleted key set refuses further key work
// through contexts that were opened on it before.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/crypto/SoftwareKey.h"

namespace vk::crypto {

class SoftwareKeySet {
public:
    explicit SoftwareKeySet(std::wstring name) : m_name(std::move(name)) {}

    const std::wstring& Name() const { return m_name; }

    // Null with NTE_NO_KEY (none of that specification), NTE_BAD_KEY (no such
    // specification) or NTE_BAD_KEYSET (deleted).
    std::shared_ptr<SoftwareKey> Get(DWORD keySpec) const;
    // Replaces the key of that specification; FALSE with NTE_BAD_KEYSET when deleted.
    BOOL Put(DWORD keySpec, std::shared_ptr<SoftwareKey> key);
    void MarkDeleted();
    bool Deleted() const;

private:
    const std::wstring m_name;
    mutable std::mutex m_mutex;
    std::shared_ptr<SoftwareKey> m_exchange;
    std::shared_ptr<SoftwareKey> m_signature;
    bool m_deleted = false;
};

}  // namespace vk::crypto
