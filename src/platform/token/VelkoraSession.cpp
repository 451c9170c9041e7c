#include "platform/token/VelkoraSession.h"

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/token/StoreError.h"

namespace vkstore {

DWORD StoreFailureCode(const std::exception& e) {
    const auto* store = dynamic_cast<const StoreError*>(&e);
    if (!store) {
        return NTE_FAIL;
    }
    switch (store->Failure()) {
        case StoreFailure::NotFound:
            return NTE_BAD_KEYSET;
        case StoreFailure::Exists:
            return NTE_EXISTS;
        case StoreFailure::Occupied:
            return SCARD_E_SHARING_VIOLATION;
        case StoreFailure::Empty:
            return SCARD_E_NO_SMARTCARD;
        case StoreFailure::Removed:
            return SCARD_W_REMOVED_CARD;
        case StoreFailure::InvalidName:
            return NTE_BAD_KEYSET_PARAM;
        case StoreFailure::PinIncorrect:
            return SCARD_W_WRONG_CHV;
        case StoreFailure::PinLocked:
            return SCARD_W_CHV_BLOCKED;
        case StoreFailure::NotLoggedIn:
            return SCARD_W_CARD_NOT_AUTHENTICATED;
        case StoreFailure::Damaged:
            return NTE_KEYSET_ENTRY_BAD;
        case StoreFailure::NotExportable:
            return NTE_BAD_KEY_STATE;
        case StoreFailure::NoService:
            return SCARD_E_NO_SERVICE;
    }
    return NTE_FAIL;
}

service::TokenAddress VelkoraSession::Address() const {
    return service::TokenAddress{TokenWorld::DefaultRoot(), reader, tokenUuid, insertion};
}

service::KeyAddress VelkoraSession::Key(DWORD spec) const {
    return service::KeyAddress{Address(), containerId.value_or(0), static_cast<int>(spec)};
}

std::optional<TokenStore> VelkoraSession::Open(bool needContainer) const {
    try {
        TokenWorld world;
        auto now = world.Reader(reader);
        if (!now || !now->token || now->token->uuid != tokenUuid || now->insertion != insertion) {
            SetLastError(SCARD_W_REMOVED_CARD);
            return std::nullopt;
        }
        std::optional<TokenStore> store(std::in_place, world.TokenFile(tokenUuid));
        if (needContainer && (!containerId || !store->FindContainer(*containerId))) {
            SetLastError(NTE_BAD_KEYSET);
            return std::nullopt;
        }
        return store;
    } catch (const std::exception& e) {
        SetLastError(StoreFailureCode(e));
        return std::nullopt;
    }
}

bool VelkoraSession::LoggedIn() const {
    try {
        return service::TokenServiceClient().IsLoggedIn(Address());
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace vkstore
