// The key provider information of a certificate context, read into owned
// strings.
#pragma once

#include <optional>
#include <string>

#include "platform/cert/CertApi.h"

namespace vk::pkcs12 {

struct KeyProvInfo {
    std::wstring container;
    std::wstring provider;
    DWORD provType = 0;
    DWORD flags = 0;
    DWORD keySpec = 0;
};

// Nothing, with CRYPT_E_NO_KEY_PROPERTY (or the read's own error), when the
// context has none.
std::optional<KeyProvInfo> ReadKeyProvInfo(PCCERT_CONTEXT context);

}  // namespace vk::pkcs12
