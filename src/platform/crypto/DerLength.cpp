#include "platform/crypto/DerLength.h"

namespace vk::crypto {

std::size_t DerSequenceLength(const BYTE* p) {
    if (p[0] != 0x30) {
        return 0;
    }
    if (p[1] < 0x80) {
        return 2 + static_cast<std::size_t>(p[1]);
    }
    const int count = p[1] & 0x7F;
    if (count == 0 || count > 3) {
        return 0;
    }
    std::size_t length = 0;
    for (int i = 0; i < count; ++i) {
        length = length << 8 | p[2 + i];
    }
    return 2 + static_cast<std::size_t>(count) + length;
}

}  // namespace vk::crypto
