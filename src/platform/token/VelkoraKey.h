// A key of a container on a virtual token, as the token provider hands it out.
#pragma once

#include "platform/crypto/CryptProvider.h"
#include "platform/token/VelkoraSession.h"

namespace vkstore {

class VelkoraKey final : public vk::crypto::IProviderKey {
public:
    VelkoraKey(VelkoraSession session, DWORD keySpec);

    BOOL GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) override;
    BOOL SetParam(DWORD param, const BYTE* data, DWORD flags) override;
    BOOL Export(DWORD blobType, DWORD flags, BYTE* data, DWORD* dataLen) override;

private:
    std::optional<KeyEntry> Read() const;

    const VelkoraSession m_session;
    const DWORD m_spec;
};

}  // namespace vkstore
