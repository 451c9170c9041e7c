#include "platform/crypto/HandleTable.h"

#include <atomic>

namespace vk::crypto {

std::uintptr_t NextHandleValue() {
    // Far from small numbers, so that a count or a flag passed as a handle misses.
    static std::atomic<std::uintptr_t> next{0x5A0000};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace vk::crypto
