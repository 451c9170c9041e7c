// Emptying OpenSSL's error queue without losing what it said.
#pragma once

namespace vk::crypto {

// Empties the calling thread's OpenSSL error queue and answers its first (oldest) error
// code, 0 when it was empty; ERR_GET_LIB and ERR_GET_REASON take it apart. With
// VKCERT_DEBUG=1 in the environment every entry is written to standard error first, one
// line each, prefixed with `step`.
unsigned long DrainOpenSslErrors(const char* step);

}  // namespace vk::crypto
