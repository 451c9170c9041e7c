#include "platform/kernel/HandleTable.h"

namespace {
// Handle values are multiples of 4 above this, as the platform's are; never 0 or -1.
constexpr std::uintptr_t kBase = 0x10000;
}  // namespace

CHandleTable& CHandleTable::Instance() {
    static CHandleTable table;
    return table;
}

HANDLE CHandleTable::Add(std::shared_ptr<CKernelObject> object) {
    std::lock_guard lock(m_mutex);
    std::uintptr_t value = kBase + 4 * m_next++;
    m_objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<CKernelObject> CHandleTable::Find(HANDLE handle) const {
    std::lock_guard lock(m_mutex);
    auto it = m_objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == m_objects.end() ? nullptr : it->second;
}

std::shared_ptr<CKernelObject> CHandleTable::Remove(HANDLE handle) {
    std::lock_guard lock(m_mutex);
    auto it = m_objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == m_objects.end()) {
        return nullptr;
    }
    auto object = std::move(it->second);
    m_objects.erase(it);
    return object;
}
