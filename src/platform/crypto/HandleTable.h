// Opaque handles for shared objects. Each handle value is issued once in the
// life of the process (one counter for every table), so a released handle,
// or a handle of another kind, never finds an object.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace vk::crypto {

std::uintptr_t NextHandleValue();

template <class T>
class HandleTable {
public:
    std::uintptr_t Add(std::shared_ptr<T> object) {
        const std::uintptr_t handle = NextHandleValue();
        std::lock_guard lock(m_mutex);
        m_objects.emplace(handle, std::move(object));
        return handle;
    }

    std::shared_ptr<T> Get(std::uintptr_t handle) const {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(handle);
        return it == m_objects.end() ? nullptr : it->second;
    }

    // The object leaves the table; it goes when the caller drops it, outside the lock.
    std::shared_ptr<T> Remove(std::uintptr_t handle) {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(handle);
        if (it == m_objects.end()) {
            return nullptr;
        }
        auto object = std::move(it->second);
        m_objects.erase(it);
        return object;
    }

private:
    mutable std::mutex m_mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<T>> m_objects;
};

}  // namespace vk::crypto
