#include "program/token/CContainerInfo.h"

#include <utility>

#include "program/token/CCertException.h"
#include "program/token/CTokenInfo.h"

CContainerInfo::CContainerInfo(CTokenInfo& owner, std::wstring readerName,
                               std::wstring containerName)
    : m_readerName(std::move(readerName)),
      m_containerName(std::move(containerName)),
      m_exchange{false, nullptr, m_containerName, m_readerName, AT_KEYEXCHANGE},
      m_signature{false, nullptr, m_containerName, m_readerName, AT_SIGNATURE},
      m_owner(owner) {}

bool CContainerInfo::IsDefault() {
    return m_containerName == m_owner.GetDefaultContainer();
}

CContainerInfo::CKeySlot* CContainerInfo::Slot(DWORD keySpec) {
    switch (keySpec) {
        case AT_KEYEXCHANGE:
            return &m_exchange;
        case AT_SIGNATURE:
            return &m_signature;
        default:
            return nullptr;
    }
}

CKeyInfo* CContainerInfo::GetKey(DWORD keySpec) {
    CKeySlot* slot = Slot(keySpec);
    if (slot == nullptr) {
        return nullptr;
    }
    if (!slot->key) {
        slot->tried = true;
        SVKCERT::COpenKey key;
        try {
            key.Open(m_owner.GetProvider(), slot->readerName, slot->containerName, keySpec);
        } catch (const SVKCERT::SEXCPT::CCertException&) {
            return nullptr;
        }
        slot->key = std::make_unique<CKeyInfo>(slot->readerName, slot->containerName, keySpec,
                                               std::move(key), m_owner.GetProvider());
    }
    return slot->key.get();
}
