// Digests of certificate bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/cert/CertApi.h"

namespace vk::cert {

// CALG_SHA1, CALG_MD5 or CALG_SHA_256; nothing for other algorithms or when
// OpenSSL fails.
std::optional<std::vector<BYTE>> Digest(ALG_ID alg, const BYTE* data, std::size_t size);
// Lower-case hex of the SHA-1 of the bytes: the name of a certificate in a store folder.
std::string Sha1Hex(const BYTE* data, std::size_t size);

}  // namespace vk::cert
