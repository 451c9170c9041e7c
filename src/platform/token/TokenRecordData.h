// What a virtual token says about itself: the fields of its token record.
#pragma once

#include <cstdint>
#include <string>

namespace vkstore {

struct TokenRecordData {
    std::uint8_t type = 1;  // 0 Velkora / Velkora Mini, 1 Velkora Pro, 2 other
    std::uint8_t versionMajor = 1;
    std::uint8_t versionMinor = 0;
    std::uint32_t memorySize = 65536;  // bytes
    std::uint32_t freeMemory = 65536;  // bytes
    std::uint8_t protocol = 1;
    std::uint8_t microcode = 1;
    std::uint32_t tokenId = 0;
    std::string label;           // UTF-8
    std::uint8_t pinPolicy = 0;  // 0 user and admin, 1 admin, 2 user
};

}  // namespace vkstore
