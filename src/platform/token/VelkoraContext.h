// A context of the token provider: on one container of a token, or, with
// CRYPT_VERIFYCONTEXT, on no container, the reader chosen afterwards with
// parameter 0x10007. Provider-specific parameters:
//   0x10007 set: select the reader by its narrow (UTF-8) name
//   0x10009 set: 32-bit 1 marks the opened container as the default, 0 clears it
//   0x1000A get: 32-bit, non-zero while the user is logged in; set: null only
//   PP_KEYEXCHANGE_PIN set: a NUL-terminated PIN logs in, null logs out
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/crypto/CryptProvider.h"
#include "platform/token/VelkoraSession.h"

namespace vkstore {

inline constexpr DWORD PP_VK_SELECT_READER = 0x10007;
inline constexpr DWORD PP_VK_DEFAULT_CONTAINER = 0x10009;
inline constexpr DWORD PP_VK_LOGIN_STATE = 0x1000A;

class VelkoraContext final : public vk::crypto::IProviderContext {
public:
    VelkoraContext(std::wstring providerName, VelkoraSession session);

    BOOL GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) override;
    BOOL SetParam(DWORD param, const BYTE* data, DWORD flags) override;
    std::shared_ptr<vk::crypto::IProviderKey> GetUserKey(DWORD keySpec) override;
    std::shared_ptr<vk::crypto::IProviderKey> GenKey(ALG_ID alg, DWORD flags) override;
    std::shared_ptr<vk::crypto::IProviderKey> ImportKey(const BYTE* blob, DWORD blobLen,
                                                        DWORD flags) override;

private:
    BOOL EnumContainers(BYTE* data, DWORD* dataLen, DWORD flags);
    BOOL SelectReader(const BYTE* data);
    BOOL SetPin(const BYTE* data);
    BOOL MarkDefault(const BYTE* data);
    VelkoraSession Session() const;
    // Has the token service put a new private key into the opened container; needs the login.
    std::shared_ptr<vk::crypto::IProviderKey> StoreKey(
        DWORD spec, const std::function<void(const service::KeyAddress&)>& store);

    const std::wstring m_providerName;
    mutable std::mutex m_mutex;
    VelkoraSession m_session;
    std::vector<std::string> m_enumNames;
    std::size_t m_enumNext = 0;
};

}  // namespace vkstore
