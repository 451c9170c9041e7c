// A context of a software provider: a key set of the store, or, for
// CRYPT_VERIFYCONTEXT, a key set of its own that no one else sees and whose
// keys go with the context.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/crypto/CryptProvider.h"
#include "platform/crypto/SoftwareKeySet.h"

namespace vk::crypto {

class SoftwareContext final : public IProviderContext {
public:
    SoftwareContext(std::wstring providerName, std::shared_ptr<SoftwareKeySet> keySet,
                    bool ephemeral, bool machine, DWORD defaultBits);

    BOOL GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) override;
    BOOL SetParam(DWORD param, const BYTE* data, DWORD flags) override;
    std::shared_ptr<IProviderKey> GetUserKey(DWORD keySpec) override;
    std::shared_ptr<IProviderKey> GenKey(ALG_ID alg, DWORD flags) override;
    std::shared_ptr<IProviderKey> ImportKey(const BYTE* blob, DWORD blobLen, DWORD flags) override;

private:
    BOOL EnumContainers(BYTE* data, DWORD* dataLen, DWORD flags);
    // Stores a private key in the set unless the context is ephemeral.
    std::shared_ptr<IProviderKey> Keep(DWORD keySpec, std::shared_ptr<SoftwareKey> key);

    const std::wstring m_providerName;
    const std::shared_ptr<SoftwareKeySet> m_keySet;
    const bool m_ephemeral;
    const bool m_machine;
    const DWORD m_defaultBits;
    std::mutex m_enumMutex;
    std::vector<std::string> m_enumNames;
    std::size_t m_enumNext = 0;
};

}  // namespace vk::crypto
