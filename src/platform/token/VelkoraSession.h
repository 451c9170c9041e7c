// What a context of the token provider stands on: a reader and the token
// insertion it was opened on, and optionally one container of that token.
// Every call checks first that the token is still the one that was there
// (SCARD_W_REMOVED_CARD otherwise, whatever sits in the reader now) and that
// the container still exists (NTE_BAD_KEYSET: a container made again under
// the same name is another container).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/WinTypes.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/service/TokenServiceClient.h"

namespace vkstore {

struct VelkoraSession {
    std::string reader;  // UTF-8
    std::string tokenUuid;
    std::int64_t insertion = 0;
    std::optional<std::int64_t> containerId;
    std::string containerName;

    // Opens the token store after checking the insertion (and the container);
    // nothing, with the last error set, when the check fails.
    std::optional<TokenStore> Open(bool needContainer = true) const;
    // Whether the user is logged in to the token on this insertion (the token service says).
    bool LoggedIn() const;
    service::TokenAddress Address() const;
    service::KeyAddress Key(DWORD spec) const;
};

// The platform's code for a failure of the token store.
DWORD StoreFailureCode(const std::exception& e);

}  // namespace vkstore
