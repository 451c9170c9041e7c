// The token provider "Orvel Velkora CSP v1.0" over the virtual tokens.
// Container names: "\\.\<reader>\<container>"; an empty container part names
// the reader's default container; a name without the prefix is looked for on
// every token. Creating, deleting and writing need the user's login
// (SCARD_W_CARD_NOT_AUTHENTICATED otherwise).
#pragma once

#include <string>

#include "platform/crypto/CryptProvider.h"

namespace vkstore {

inline constexpr const wchar_t* kVelkoraProviderName = L"Orvel Velkora CSP v1.0";

class VelkoraProvider final : public vk::crypto::ICryptProvider {
public:
    std::shared_ptr<vk::crypto::IProviderContext> Acquire(const wchar_t* container,
                                                          DWORD flags) override;
    BOOL DeleteKeySet(const wchar_t* container, DWORD flags) override;
};

}  // namespace vkstore
