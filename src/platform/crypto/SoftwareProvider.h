// The software providers ("Microsoft Enhanced Cryptographic Provider v1.0",
// "Microsoft Strong Cryptographic Provider", "Microsoft Base Cryptographic
// Provider v1.0", type 1): RSA key sets that live in this process's memory
// only (SoftwareKeyStore), shared by the three names.
#pragma once

#include <string>

#include "platform/crypto/CryptProvider.h"

namespace vk::crypto {

class SoftwareProvider final : public ICryptProvider {
public:
    // defaultBits: the key length CryptGenKey takes when the flags give none.
    SoftwareProvider(std::wstring name, DWORD defaultBits);

    std::shared_ptr<IProviderContext> Acquire(const wchar_t* container, DWORD flags) override;
    BOOL DeleteKeySet(const wchar_t* container, DWORD flags) override;

private:
    const std::wstring m_name;
    const DWORD m_defaultBits;
};

}  // namespace vk::crypto
