#include "platform/token/VelkoraProvider.h"

#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "platform/token/StoreError.h"
#include "platform/token/VelkoraContext.h"

namespace vkstore {

namespace {

constexpr std::string_view kPrefix = "\\\\.\\";

struct ContainerPath {
    std::string reader;
    std::string container;  // empty: the default container
};

// Splits "\\.\reader\container" at the longest reader name that exists, so
// that reader names holding backslashes still work.
std::optional<ContainerPath> Split(TokenWorld& world, const std::string& full) {
    if (full.rfind(kPrefix, 0) != 0) {
        SetLastError(NTE_BAD_KEYSET);
        return std::nullopt;
    }
    const std::string rest = full.substr(kPrefix.size());
    std::optional<ContainerPath> best;
    for (const auto& reader : world.Readers()) {
        if (rest.size() > reader.name.size() &&
            rest.compare(0, reader.name.size(), reader.name) == 0 &&
            rest[reader.name.size()] == '\\' &&
            (!best || reader.name.size() > best->reader.size())) {
            best = ContainerPath{reader.name, rest.substr(reader.name.size() + 1)};
        }
    }
    if (!best) {
        SetLastError(SCARD_E_UNKNOWN_READER);
    }
    return best;
}

// A container name without reader: the first token that holds it.
std::optional<ContainerPath> Search(TokenWorld& world, const std::string& name) {
    for (const auto& reader : world.Readers()) {
        if (reader.token && TokenStore(world.TokenFile(reader.token->uuid)).FindContainer(name)) {
            return ContainerPath{reader.name, name};
        }
    }
    SetLastError(NTE_BAD_KEYSET);
    return std::nullopt;
}

std::optional<VelkoraSession> Resolve(TokenWorld& world, const wchar_t* container) {
    const std::string name = container ? WideToUtf8(container) : std::string();
    auto path = name.rfind(kPrefix, 0) == 0 ? Split(world, name) : Search(world, name);
    if (!path) {
        return std::nullopt;
    }
    auto state = world.Reader(path->reader);
    if (!state || !state->token) {
        SetLastError(SCARD_E_NO_SMARTCARD);
        return std::nullopt;
    }
    return VelkoraSession{path->reader, state->token->uuid, state->insertion, std::nullopt,
                          path->container};
}

}  // namespace

std::shared_ptr<vk::crypto::IProviderContext> VelkoraProvider::Acquire(const wchar_t* container,
                                                                       DWORD flags) {
    try {
        TokenWorld world;
        if (flags & CRYPT_VERIFYCONTEXT) {
            VelkoraSession session;
            if (container && *container) {
                auto resolved = Resolve(world, container);
                if (!resolved) {
                    return nullptr;
                }
                session = *resolved;
                session.containerName.clear();
            }
            return std::make_shared<VelkoraContext>(kVelkoraProviderName, session);
        }
        if (!container || !*container) {
            SetLastError(NTE_BAD_KEYSET);
            return nullptr;
        }
        auto session = Resolve(world, container);
        if (!session) {
            return nullptr;
        }
        TokenStore store(world.TokenFile(session->tokenUuid));
        if (flags & CRYPT_NEWKEYSET) {
            if (session->containerName.empty()) {
                SetLastError(NTE_BAD_KEYSET_PARAM);
                return nullptr;
            }
            if (!session->LoggedIn()) {
                SetLastError(SCARD_W_CARD_NOT_AUTHENTICATED);
                return nullptr;
            }
            session->containerId = store.CreateContainer(session->containerName);
        } else {
            std::optional<ContainerEntry> found;
            if (session->containerName.empty()) {
                for (const auto& entry : store.Containers()) {
                    if (entry.isDefault) {
                        found = entry;
                    }
                }
            } else {
                found = store.FindContainer(session->containerName);
            }
            if (!found) {
                SetLastError(NTE_BAD_KEYSET);
                return nullptr;
            }
            session->containerId = found->id;
            session->containerName = found->name;
        }
        return std::make_shared<VelkoraContext>(kVelkoraProviderName, *session);
    } catch (const std::exception& e) {
        SetLastError(StoreFailureCode(e));
        return nullptr;
    }
}

BOOL VelkoraProvider::DeleteKeySet(const wchar_t* container, DWORD) {
    try {
        TokenWorld world;
        auto session = Resolve(world, container);
        if (!session) {
            return FALSE;
        }
        if (session->containerName.empty()) {
            SetLastError(NTE_BAD_KEYSET_PARAM);
            return FALSE;
        }
        if (!session->LoggedIn()) {
            SetLastError(SCARD_W_CARD_NOT_AUTHENTICATED);
            return FALSE;
        }
        TokenStore(world.TokenFile(session->tokenUuid)).DeleteContainer(session->containerName);
        return TRUE;
    } catch (const std::exception& e) {
        SetLastError(StoreFailureCode(e));
        return FALSE;
    }
}

}  // namespace vkstore
