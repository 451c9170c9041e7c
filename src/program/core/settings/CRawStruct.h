// A record stored as its exact bytes (REG_BINARY of exactly sizeof(T) bytes).
// A stored value of any other size is refused and the member kept.
#pragma once

#include <array>
#include <bit>
#include <cstring>
#include <type_traits>

#include "program/core/settings/CSetting.h"

template <typename T>
class CRawStruct : public CSetting {
    static_assert(std::is_trivially_copyable_v<T>, "a raw record is copied byte for byte");
    static_assert(std::endian::native == std::endian::little,
                  "stored records are little-endian, as the host must be");

public:
    // Bytes read at most; a longer value is not read.
    static constexpr DWORD kBufferSize = 1024;
    static_assert(sizeof(T) <= kBufferSize);

    CRawStruct(std::wstring subkey, std::wstring valueName, T* member,
               HKEY root = HKEY_CURRENT_USER)
        : CSetting(std::move(subkey), std::move(valueName), root), m_member(member) {}

protected:
    bool LoadValue(HKEY key) override {
        if (!m_member) {
            return false;
        }
        std::array<BYTE, kBufferSize> buffer{};
        DWORD size = kBufferSize;
        if (RegQueryValueExW(key, ValueName().c_str(), nullptr, nullptr, buffer.data(), &size) !=
                ERROR_SUCCESS ||
            size != sizeof(T)) {
            return false;
        }
        std::memcpy(m_member, buffer.data(), sizeof(T));
        return true;
    }

    bool SaveValue(HKEY key) override {
        if (!m_member) {
            return false;
        }
        return RegSetValueExW(key, ValueName().c_str(), 0, REG_BINARY,
                              reinterpret_cast<const BYTE*>(m_member), sizeof(T)) == ERROR_SUCCESS;
    }

private:
    T* m_member;
};
