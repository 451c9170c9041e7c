// Memory for a secret the service holds: pages of its own, locked in RAM so
// they are never swapped, left out of core dumps, and wiped before they are
// given back.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vktokend {

class LockedBytes {
public:
    explicit LockedBytes(std::size_t size);
    ~LockedBytes();
    LockedBytes(const LockedBytes&) = delete;
    LockedBytes& operator=(const LockedBytes&) = delete;

    std::uint8_t* Data() { return m_data; }
    const std::uint8_t* Data() const { return m_data; }
    std::size_t Size() const { return m_size; }

private:
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_mapped = 0;
};

}  // namespace vktokend
