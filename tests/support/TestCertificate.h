// Certificates made with OpenSSL at test time.
#pragma once

#include <openssl/evp.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vktest {

// One RDN per entry: {"CN", "name"}; attributes in order. Values are UTF-8 of their full length,
// NULs included.
using Subject = std::vector<std::pair<std::string, std::string>>;
// Extensions as OpenSSL's configuration strings: {NID_key_usage, "critical,digitalSignature"}.
using Extensions = std::vector<std::pair<int, std::string>>;

// DER of a self-signed version 3 certificate of the key, valid for a year from now.
std::vector<std::uint8_t> MakeCertificate(EVP_PKEY* key, const Subject& subject,
                                          const Extensions& extensions = {}, long serial = 4242);

}  // namespace vktest
