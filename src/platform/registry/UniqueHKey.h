// Owns an open registry key and closes it when it goes out of scope.
#pragma once

#include <utility>

#include "platform/registry/Registry.h"

class UniqueHKey {
public:
    UniqueHKey() = default;
    explicit UniqueHKey(HKEY key) : m_key(key) {}
    ~UniqueHKey() { Reset(); }
    UniqueHKey(UniqueHKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}
    UniqueHKey& operator=(UniqueHKey&& other) noexcept {
        if (this != &other) {
            Reset();
            m_key = std::exchange(other.m_key, nullptr);
        }
        return *this;
    }
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;

    HKEY Get() const { return m_key; }
    // For the out parameter of RegOpenKeyExW and RegCreateKeyExW; closes what is held first.
    PHKEY Put() {
        Reset();
        return &m_key;
    }
    void Reset() {
        if (m_key) {
            RegCloseKey(m_key);
            m_key = nullptr;
        }
    }

private:
    HKEY m_key = nullptr;
};
