#include "platform/crypto/SoftwareContext.h"

#include <algorithm>

#include "platform/crypto/SoftwareKeyStore.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"

namespace vk::crypto {
namespace {

constexpr DWORD kGenKeyFlags =
    CRYPT_EXPORTABLE | CRYPT_USER_PROTECTED | CRYPT_CREATE_SALT | CRYPT_NO_SALT | CRYPT_ARCHIVABLE;
constexpr DWORD kImportFlags = CRYPT_EXPORTABLE | CRYPT_USER_PROTECTED | CRYPT_NO_SALT;
constexpr DWORD kMinBits = 512;
constexpr DWORD kMaxBits = 16384;
constexpr DWORD kProviderVersion = 0x200;
constexpr DWORD kImplSoftware = 2;

// The key specification an algorithm stands for; 0 when it is not an RSA key.
DWORD KeySpecOf(ALG_ID alg) {
    if (alg == AT_KEYEXCHANGE || alg == CALG_RSA_KEYX) {
        return AT_KEYEXCHANGE;
    }
    if (alg == AT_SIGNATURE || alg == CALG_RSA_SIGN) {
        return AT_SIGNATURE;
    }
    return 0;
}

}  // namespace

SoftwareContext::SoftwareContext(std::wstring providerName, std::shared_ptr<SoftwareKeySet> keySet,
                                 bool ephemeral, bool machine, DWORD defaultBits)
    : m_providerName(std::move(providerName)),
      m_keySet(std::move(keySet)),
      m_ephemeral(ephemeral),
      m_machine(machine),
      m_defaultBits(defaultBits) {}

BOOL SoftwareContext::GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) {
    if (param == PP_ENUMCONTAINERS) {
        return EnumContainers(data, dataLen, flags);
    }
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    switch (param) {
        case PP_NAME:
            return CopyOutString(WideToUtf8(m_providerName), data, dataLen);
        case PP_CONTAINER:
        case PP_UNIQUE_CONTAINER:
            return CopyOutString(WideToUtf8(m_keySet->Name()), data, dataLen);
        case PP_PROVTYPE:
            return CopyOutDword(PROV_RSA_FULL, data, dataLen);
        case PP_VERSION:
            return CopyOutDword(kProviderVersion, data, dataLen);
        case PP_IMPTYPE:
            return CopyOutDword(kImplSoftware, data, dataLen);
        case PP_KEYSET_TYPE:
            return CopyOutDword(m_machine ? CRYPT_MACHINE_KEYSET : 0, data, dataLen);
        default:
            return FailWith(NTE_BAD_TYPE);
    }
}

BOOL SoftwareContext::EnumContainers(BYTE* data, DWORD* dataLen, DWORD flags) {
    if ((flags & ~CRYPT_FIRST) != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    std::lock_guard lock(m_enumMutex);
    if ((flags & CRYPT_FIRST) != 0) {
        m_enumNames.clear();
        for (const auto& name : SoftwareKeyStore::Instance().Names()) {
            m_enumNames.push_back(WideToUtf8(name));
        }
        m_enumNext = 0;
    }
    if (m_enumNext >= m_enumNames.size()) {
        return FailWith(ERROR_NO_MORE_ITEMS);
    }
    if (data == nullptr) {
        // The sizing call answers the longest name, so one buffer fits them all.
        std::size_t longest = 0;
        for (const auto& name : m_enumNames) {
            longest = std::max(longest, name.size() + 1);
        }
        *dataLen = static_cast<DWORD>(longest);
        return TRUE;
    }
    if (!CopyOutString(m_enumNames[m_enumNext], data, dataLen)) {
        return FALSE;
    }
    ++m_enumNext;
    return TRUE;
}

BOOL SoftwareContext::SetParam(DWORD param, const BYTE* /*data*/, DWORD flags) {
    if (flags != 0) {
        return FailWith(NTE_BAD_FLAGS);
    }
    // Software keys carry no PIN and the providers take no settings.
    (void)param;
    return FailWith(NTE_BAD_TYPE);
}

std::shared_ptr<IProviderKey> SoftwareContext::GetUserKey(DWORD keySpec) {
    if (m_ephemeral) {
        return FailWith<std::nullptr_t>(NTE_NO_KEY);
    }
    return m_keySet->Get(keySpec);
}

std::shared_ptr<IProviderKey> SoftwareContext::Keep(DWORD keySpec,
                                                    std::shared_ptr<SoftwareKey> key) {
    if (!m_ephemeral && !m_keySet->Put(keySpec, key)) {
        return nullptr;
    }
    return key;
}

std::shared_ptr<IProviderKey> SoftwareContext::GenKey(ALG_ID alg, DWORD flags) {
    const DWORD keySpec = KeySpecOf(alg);
    if (keySpec == 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_ALGID);
    }
    if ((flags & 0xFFFF & ~kGenKeyFlags) != 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_FLAGS);
    }
    DWORD bits = flags >> 16;
    if (bits == 0) {
        bits = m_defaultBits;
    }
    if (bits < kMinBits || bits > kMaxBits || bits % 8 != 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_FLAGS);
    }
    if (m_keySet->Deleted()) {
        return FailWith<std::nullptr_t>(NTE_BAD_KEYSET);
    }
    EvpPkeyPtr pair = GenerateRsaKey(bits);
    if (!pair) {
        return FailWith<std::nullptr_t>(NTE_FAIL);
    }
    const ALG_ID keyAlg = keySpec == AT_KEYEXCHANGE ? CALG_RSA_KEYX : CALG_RSA_SIGN;
    return Keep(keySpec, std::make_shared<SoftwareKey>(std::move(pair), keyAlg, true,
                                                       (flags & CRYPT_EXPORTABLE) != 0));
}

std::shared_ptr<IProviderKey> SoftwareContext::ImportKey(const BYTE* blob, DWORD blobLen,
                                                         DWORD flags) {
    if ((flags & ~kImportFlags) != 0) {
        return FailWith<std::nullptr_t>(NTE_BAD_FLAGS);
    }
    auto parsed = ParseRsaKeyBlob(blob, blobLen);
    if (!parsed) {
        return nullptr;
    }
    const bool isPrivate = parsed->type == PRIVATEKEYBLOB;
    auto key = std::make_shared<SoftwareKey>(std::move(parsed->key), parsed->alg, isPrivate,
                                             (flags & CRYPT_EXPORTABLE) != 0);
    if (!isPrivate) {
        // A public key is a session object: it does not enter the key set.
        return key;
    }
    return Keep(KeySpecOf(parsed->alg), std::move(key));
}

}  // namespace vk::crypto
