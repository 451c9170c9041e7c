#include "platform/crypto/SoftwareKeySet.h"

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::crypto {

std::shared_ptr<SoftwareKey> SoftwareKeySet::Get(DWORD keySpec) const {
    std::lock_guard lock(m_mutex);
    if (m_deleted) {
        SetLastError(NTE_BAD_KEYSET);
        return nullptr;
    }
    if (keySpec != AT_KEYEXCHANGE && keySpec != AT_SIGNATURE) {
        SetLastError(NTE_BAD_KEY);
        return nullptr;
    }
    auto key = keySpec == AT_KEYEXCHANGE ? m_exchange : m_signature;
    if (!key) {
        SetLastError(NTE_NO_KEY);
    }
    return key;
}

BOOL SoftwareKeySet::Put(DWORD keySpec, std::shared_ptr<SoftwareKey> key) {
    std::lock_guard lock(m_mutex);
    if (m_deleted) {
        SetLastError(NTE_BAD_KEYSET);
        return FALSE;
    }
    (keySpec == AT_KEYEXCHANGE ? m_exchange : m_signature) = std::move(key);
    return TRUE;
}

void SoftwareKeySet::MarkDeleted() {
    std::lock_guard lock(m_mutex);
    m_deleted = true;
    // Handles still held keep their keys; the set forgets them now.
    m_exchange.reset();
    m_signature.reset();
}

bool SoftwareKeySet::Deleted() const {
    std::lock_guard lock(m_mutex);
    return m_deleted;
}

}  // namespace vk::crypto
