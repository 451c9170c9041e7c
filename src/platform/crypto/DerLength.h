// The length of a DER SEQUENCE read from its own header, for calls that take
// an encoding without its size (KP_CERTIFICATE).
#pragma once

#include <cstddef>

#include "platform/WinTypes.h"

namespace vk::crypto {

// 0 when the header is not a definite-length SEQUENCE of at most 2^24 bytes.
std::size_t DerSequenceLength(const BYTE* p);

}  // namespace vk::crypto
