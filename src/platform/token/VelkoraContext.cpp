#include "platform/token/VelkoraContext.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstring>

#include "platform/crypto/CryptApi.h"
#include "platform/crypto/KeyBlob.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "platform/token/StoreError.h"
#include "platform/token/VelkoraKey.h"

namespace vkstore {

namespace {

constexpr DWORD kMinBits = 1024;
constexpr DWORD kMaxBits = 4096;
constexpr DWORD kDefaultBits = 2048;
constexpr std::size_t kMaxPin = 256;

// AT_KEYEXCHANGE and CALG_RSA_KEYX give 1, AT_SIGNATURE and CALG_RSA_SIGN 2.
DWORD SpecOf(ALG_ID alg) {
    switch (alg) {
        case AT_KEYEXCHANGE:
        case CALG_RSA_KEYX:
            return AT_KEYEXCHANGE;
        case AT_SIGNATURE:
        case CALG_RSA_SIGN:
            return AT_SIGNATURE;
        default:
            return 0;
    }
}

}  // namespace

VelkoraContext::VelkoraContext(std::wstring providerName, VelkoraSession session)
    : m_providerName(std::move(providerName)), m_session(std::move(session)) {}

VelkoraSession VelkoraContext::Session() const {
    std::lock_guard lock(m_mutex);
    return m_session;
}

BOOL VelkoraContext::GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) {
    const VelkoraSession session = Session();
    switch (param) {
        case PP_ENUMCONTAINERS:
            return EnumContainers(data, dataLen, flags);
        case PP_CONTAINER:
        case PP_UNIQUE_CONTAINER:
            if (!session.containerId) {
                return FailWith(NTE_BAD_KEYSET);
            }
            if (!session.Open()) {
                return FALSE;
            }
            return vk::crypto::CopyOutString(session.containerName, data, dataLen);
        case PP_NAME:
            return vk::crypto::CopyOutString(WideToUtf8(m_providerName), data, dataLen);
        case PP_PROVTYPE:
            return vk::crypto::CopyOutDword(PROV_RSA_FULL, data, dataLen);
        case PP_VK_LOGIN_STATE:
            if (session.tokenUuid.empty()) {
                return FailWith(SCARD_E_NO_SMARTCARD);
            }
            if (!session.Open(false)) {
                return FALSE;
            }
            return vk::crypto::CopyOutDword(session.LoggedIn() ? 1 : 0, data, dataLen);
        default:
            return FailWith(NTE_BAD_TYPE);
    }
}

BOOL VelkoraContext::EnumContainers(BYTE* data, DWORD* dataLen, DWORD flags) {
    if ((flags & ~CRYPT_FIRST) != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    const VelkoraSession session = Session();
    if (session.tokenUuid.empty()) {
        return FailWith(SCARD_E_NO_SMARTCARD);
    }
    std::lock_guard lock(m_mutex);
    if ((flags & CRYPT_FIRST) || m_enumNames.empty()) {
        auto store = session.Open(false);
        if (!store) {
            return FALSE;
        }
        std::vector<std::string> names;
        try {
            for (const auto& container : store->Containers()) {
                names.push_back(container.name);
            }
        } catch (const std::exception& e) {
            return FailWith(StoreFailureCode(e));
        }
        if (!data) {
            // The sizing call fits every name and does not move the enumeration.
            if (names.empty()) {
                return FailWith(ERROR_NO_MORE_ITEMS);
            }
            std::size_t longest = 0;
            for (const auto& name : names) {
                longest = std::max(longest, name.size() + 1);
            }
            *dataLen = static_cast<DWORD>(longest);
            return TRUE;
        }
        m_enumNames = std::move(names);
        m_enumNext = 0;
    }
    if (m_enumNext >= m_enumNames.size()) {
        return FailWith(ERROR_NO_MORE_ITEMS);
    }
    if (!vk::crypto::CopyOutString(m_enumNames[m_enumNext], data, dataLen)) {
        return FALSE;
    }
    if (data) {
        ++m_enumNext;
    }
    return TRUE;
}

BOOL VelkoraContext::SetParam(DWORD param, const BYTE* data, DWORD flags) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    switch (param) {
        case PP_VK_SELECT_READER:
            return SelectReader(data);
        case PP_KEYEXCHANGE_PIN:
        case PP_SIGNATURE_PIN:
            return SetPin(data);
        case PP_VK_DEFAULT_CONTAINER:
            return MarkDefault(data);
        case PP_VK_LOGIN_STATE:
            return data ? FailWith(ERROR_INVALID_PARAMETER) : TRUE;
        default:
            return FailWith(NTE_BAD_TYPE);
    }
}

BOOL VelkoraContext::SelectReader(const BYTE* data) {
    if (!data) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const std::string reader(reinterpret_cast<const char*>(data));
    try {
        TokenWorld world;
        auto state = world.Reader(reader);
        if (!state) {
            return FailWith(SCARD_E_UNKNOWN_READER);
        }
        if (!state->token) {
            return FailWith(SCARD_E_NO_SMARTCARD);
        }
        std::lock_guard lock(m_mutex);
        m_session = VelkoraSession{reader, state->token->uuid, state->insertion, std::nullopt, {}};
        m_enumNames.clear();
        m_enumNext = 0;
        return TRUE;
    } catch (const std::exception& e) {
        return FailWith(StoreFailureCode(e));
    }
}

BOOL VelkoraContext::SetPin(const BYTE* data) {
    const VelkoraSession session = Session();
    if (session.tokenUuid.empty()) {
        return FailWith(SCARD_E_NO_SMARTCARD);
    }
    if (!session.Open(false)) {
        return FALSE;
    }
    try {
        service::TokenServiceClient tokens;
        if (!data) {
            tokens.Logout(TokenWorld::DefaultRoot(), session.tokenUuid);
            return TRUE;
        }
        const auto* pin = reinterpret_cast<const char*>(data);
        const std::size_t length = strnlen(pin, kMaxPin + 1);
        if (length == 0 || length > kMaxPin) {
            // Spends no try: an empty or endless PIN is no attempt at the PIN.
            return FailWith(SCARD_W_WRONG_CHV);
        }
        tokens.Login(TokenWorld::DefaultRoot(), session.reader, std::string_view(pin, length));
        return TRUE;
    } catch (const std::exception& e) {
        return FailWith(StoreFailureCode(e));
    }
}

BOOL VelkoraContext::MarkDefault(const BYTE* data) {
    if (!data) {
        return FailWith(ERROR_INVALID_PARAMETER);
    }
    const VelkoraSession session = Session();
    auto store = session.Open();
    if (!store) {
        return FALSE;
    }
    if (!session.LoggedIn()) {
        return FailWith(SCARD_W_CARD_NOT_AUTHENTICATED);
    }
    DWORD on = 0;
    std::memcpy(&on, data, sizeof on);
    try {
        store->SetDefault(*session.containerId, on != 0);
        return TRUE;
    } catch (const std::exception& e) {
        return FailWith(StoreFailureCode(e));
    }
}

std::shared_ptr<vk::crypto::IProviderKey> VelkoraContext::GetUserKey(DWORD keySpec) {
    const VelkoraSession session = Session();
    if (!session.containerId) {
        return FailWith<std::nullptr_t>(NTE_NO_KEY);
    }
    auto store = session.Open();
    if (!store) {
        return nullptr;
    }
    try {
        if (!store->Key(*session.containerId, static_cast<int>(keySpec))) {
            return FailWith<std::nullptr_t>(NTE_NO_KEY);
        }
    } catch (const std::exception& e) {
        return FailWith<std::nullptr_t>(StoreFailureCode(e));
    }
    return std::make_shared<VelkoraKey>(session, keySpec);
}

std::shared_ptr<vk::crypto::IProviderKey> VelkoraContext::StoreKey(
    DWORD spec, const std::function<void(const service::KeyAddress&)>& store) {
    const VelkoraSession session = Session();
    if (!session.containerId) {
        return FailWith<std::nullptr_t>(NTE_BAD_KEYSET);
    }
    if (!session.Open()) {
        return nullptr;
    }
    try {
        store(session.Key(spec));
    } catch (const std::exception& e) {
        return FailWith<std::nullptr_t>(StoreFailureCode(e));
    }
    return std::make_shared<VelkoraKey>(session, spec);
}

std::shared_ptr<vk::crypto::IProviderKey> VelkoraContext::GenKey(ALG_ID alg, DWORD flags) {
    const DWORD spec = SpecOf(alg);
    if (spec == 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_ALGID);
    }
    DWORD bits = flags >> 16;
    if (bits == 0) {
        bits = kDefaultBits;
    }
    if (bits < kMinBits || bits > kMaxBits || bits % 8 != 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_FLAGS);
    }
    if ((flags & 0xFFFF & ~(CRYPT_EXPORTABLE | CRYPT_USER_PROTECTED)) != 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_FLAGS);
    }
    return StoreKey(spec, [&](const service::KeyAddress& key) {
        service::TokenServiceClient().GenerateKey(key, bits, (flags & CRYPT_EXPORTABLE) != 0);
    });
}

std::shared_ptr<vk::crypto::IProviderKey> VelkoraContext::ImportKey(const BYTE* blob, DWORD blobLen,
                                                                    DWORD flags) {
    if ((flags & ~(CRYPT_EXPORTABLE | CRYPT_USER_PROTECTED)) != 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_FLAGS);
    }
    auto parsed = vk::crypto::ParseRsaKeyBlob(blob, blobLen);
    if (!parsed) {
        return nullptr;
    }
    if (parsed->type == PUBLICKEYBLOB) {
        // A public key is only held by the handle, as the platform does.
        return std::make_shared<vk::crypto::SoftwareKey>(std::move(parsed->key), parsed->alg, false,
                                                         false);
    }
    const DWORD spec = SpecOf(parsed->alg);
    if (spec == 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_ALGID);
    }
    return StoreKey(spec, [&](const service::KeyAddress& key) {
        service::TokenServiceClient().ImportKey(key, blob, blobLen,
                                                (flags & CRYPT_EXPORTABLE) != 0);
    });
}

}  // namespace vkstore
