#include "RequestHandler.h"

#include <openssl/x509.h>
#include <unistd.h>

#include <cstdint>

#include "platform/crypto/KeyBlob.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/errors/WinError.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenKeyWriter.h"
#include "platform/token/TokenWorld.h"

namespace vktokend {

namespace {

using vkstore::StoreError;
using vkstore::StoreFailure;
using vkstore::service::KeyAddress;
using vkstore::service::Message;
using vkstore::service::Request;

// An answer that is not one of the store's failures.
constexpr std::uint8_t kOtherFailure = 0xFE;

TokenAddress TokenAt(const Message& request) {
    return TokenAddress{std::string(request.Field(0)), std::string(request.Field(1)),
                        std::string(request.Field(2)), request.Number(3)};
}

KeyAddress KeyAt(const Message& request) {
    return KeyAddress{TokenAt(request), request.Number(4), static_cast<int>(request.Number(5))};
}

Message Failure(std::uint8_t code, const char* reason) {
    Message answer(code);
    answer.Add(reason);
    return answer;
}

// The world at that folder; a folder that holds none is not made one.
vkstore::TokenWorld OpenWorld(const std::filesystem::path& root) {
    vkstore::TokenWorld world(root);
    if (!std::filesystem::exists(world.WorldFile())) {
        throw StoreError(StoreFailure::NotFound, "no token world at " + root.string());
    }
    return world;
}

// Whether the reader still holds the token on that insertion.
bool StillInserted(vkstore::TokenWorld& world, const TokenAddress& token) {
    const auto now = world.Reader(token.reader);
    return now && now->token && now->token->uuid == token.uuid && now->insertion == token.insertion;
}

[[noreturn]] void Removed() {
    throw StoreError(StoreFailure::Removed, "the token left its reader");
}

// The token's store when the reader still holds the token on that insertion.
vkstore::TokenStore OpenToken(const TokenAddress& token) {
    vkstore::TokenWorld world = OpenWorld(token.world);
    if (!StillInserted(world, token)) {
        Removed();
    }
    return vkstore::TokenStore(world.TokenFile(token.uuid));
}

}  // namespace

Message RequestHandler::Handle(const Message& request) {
    try {
        return Dispatch(request);
    } catch (const StoreError& e) {
        return Failure(static_cast<std::uint8_t>(static_cast<int>(e.Failure()) + 1), e.what());
    } catch (const std::exception& e) {
        return Failure(kOtherFailure, e.what());
    }
}

Message RequestHandler::Dispatch(const Message& request) {
    switch (static_cast<Request>(request.Code())) {
        case Request::Hello:
            return Message().AddNumber(vkstore::service::kProtocolVersion).AddNumber(::getpid());
        case Request::Status:
            return Message().AddNumber(m_logins.IsLoggedIn(TokenAt(request)) ? 1 : 0);
        case Request::Login:
            return Login(request);
        case Request::Logout:
            m_logins.Remove(std::string(request.Field(0)), std::string(request.Field(1)));
            return Message();
        case Request::ExportKey:
            return ExportKey(request);
        case Request::ImportKey:
            return ImportKey(request);
        case Request::GenerateKey:
            return GenerateKey(request);
    }
    return Failure(kOtherFailure, "unknown request");
}

Message RequestHandler::Login(const Message& request) {
    const std::filesystem::path root(request.Field(0));
    const std::string reader(request.Field(1));
    const SecretBytes pin = request.Secret(2);
    const std::string_view pinText(reinterpret_cast<const char*>(pin.Data()), pin.Size());

    vkstore::TokenWorld world = OpenWorld(root);
    const auto state = world.Reader(reader);
    if (!state) {
        throw StoreError(StoreFailure::NotFound, "no reader " + reader);
    }
    if (!state->token) {
        throw StoreError(StoreFailure::Empty, "reader " + reader + " is empty");
    }
    const TokenAddress token{root, reader, state->token->uuid, state->insertion};
    vkstore::TokenStore store(world.TokenFile(token.uuid));
    // Logged in with this PIN already, and no wrong try or new PIN since: no derivation.
    const vkstore::PinState tries = store.Pin();
    const vkstore::Bytes stamp = store.PinStamp();
    if (tries.retriesLeft == tries.maxRetries && m_logins.HoldsPin(token, pinText, stamp)) {
        return Message();
    }
    SecretBytes tokenKey;
    {
        m_derivations.acquire();
        struct Release {
            std::counting_semaphore<2>& s;
            ~Release() { s.release(); }
        } release{m_derivations};
        tokenKey = store.Unlock(pinText);
    }
    m_logins.Put(token, tokenKey, pinText, stamp);
    // The token may have left while the PIN was checked, before the world was watched.
    if (!StillInserted(world, token)) {
        m_logins.Remove(root.string(), token.uuid);
        Removed();
    }
    return Message();
}

RequestHandler::KeyPlace RequestHandler::OpenKeyPlace(const Message& request) {
    KeyPlace place{KeyAt(request), {}, std::nullopt};
    auto key = m_logins.Key(place.address.token);
    if (!key) {
        throw StoreError(StoreFailure::NotLoggedIn, "nobody is logged in to the token");
    }
    place.tokenKey = std::move(*key);
    place.store.emplace(OpenToken(place.address.token));
    if (!place.store->FindContainer(place.address.container)) {
        throw StoreError(StoreFailure::NotFound, "the container is gone");
    }
    if (place.address.spec != AT_KEYEXCHANGE && place.address.spec != AT_SIGNATURE) {
        throw StoreError(StoreFailure::InvalidName, "no such key specification");
    }
    return place;
}

Message RequestHandler::ExportKey(const Message& request) {
    KeyPlace place = OpenKeyPlace(request);
    const auto entry = place.store->Key(place.address.container, place.address.spec);
    if (!entry) {
        throw StoreError(StoreFailure::NotFound, "no such key");
    }
    if (!entry->exportable) {
        throw StoreError(StoreFailure::NotExportable, "the key may not leave the token");
    }
    const auto plain = vkstore::TokenSecrets::Open(
        place.tokenKey, place.store->SealedPrivateKey(place.address.container, place.address.spec));
    if (!plain) {
        throw StoreError(StoreFailure::Damaged, "the key does not open with the token key");
    }
    const unsigned char* p = plain->Data();
    vk::crypto::EvpPkeyPtr pkey(d2i_AutoPrivateKey(nullptr, &p, static_cast<long>(plain->Size())));
    const auto blob =
        pkey ? vk::crypto::RsaToPrivateKeyBlob(pkey.get(), vkstore::TokenKeyAlg(place.address.spec))
             : std::nullopt;
    if (!blob) {
        throw StoreError(StoreFailure::Damaged, "the key is not an RSA key");
    }
    return Message().Add(
        std::string_view(reinterpret_cast<const char*>(blob->data()), blob->size()));
}

Message RequestHandler::ImportKey(const Message& request) {
    KeyPlace place = OpenKeyPlace(request);
    const std::string_view blob = request.Field(6);
    auto parsed =
        vk::crypto::ParseRsaKeyBlob(reinterpret_cast<const BYTE*>(blob.data()), blob.size());
    if (!parsed || parsed->type != PRIVATEKEYBLOB) {
        throw StoreError(StoreFailure::InvalidName, "not a private key blob");
    }
    vkstore::WriteTokenKey(*place.store, place.address.container, place.tokenKey, parsed->key.get(),
                           place.address.spec, request.Number(7) != 0);
    return Message();
}

Message RequestHandler::GenerateKey(const Message& request) {
    KeyPlace place = OpenKeyPlace(request);
    auto key = vk::crypto::GenerateRsaKey(static_cast<DWORD>(request.Number(6)));
    if (!key) {
        throw StoreError(StoreFailure::InvalidName, "no key of that size");
    }
    vkstore::WriteTokenKey(*place.store, place.address.container, place.tokenKey, key.get(),
                           place.address.spec, request.Number(7) != 0);
    return Message();
}

}  // namespace vktokend
