#include "platform/crypto/SecureBytes.h"

#include <openssl/crypto.h>

namespace vk::crypto {

void Cleanse(void* data, std::size_t size) noexcept {
    OPENSSL_cleanse(data, size);
}

}  // namespace vk::crypto
