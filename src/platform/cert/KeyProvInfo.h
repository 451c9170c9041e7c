// CRYPT_KEY_PROV_INFO in the serial form kept with a context and in the
// store's files (little-endian):
//   u32 provider type, u32 flags, u32 key specification,
//   container name, provider name (each: u32 length in bytes of UTF-8 or
//   0xFFFFFFFF for none, then the bytes),
//   u32 parameter count, then per parameter: u32 id, u32 flags, u32 length, bytes.
#pragma once

#include <optional>
#include <vector>

#include "platform/cert/CertApi.h"

namespace vk::cert {

class FlatArena;

std::vector<BYTE> SerializeKeyProvInfo(const CRYPT_KEY_PROV_INFO& info);
// Lays the serial form out as a flat CRYPT_KEY_PROV_INFO; null when it is malformed.
CRYPT_KEY_PROV_INFO* LayOutKeyProvInfo(const std::vector<BYTE>& serial, FlatArena& arena);

}  // namespace vk::cert
