// The provider interface behind the cryptographic calls. CryptApi.cpp checks
// handles and common flags and routes each call to the provider registered
// under the context's provider name (ProviderRegistry.h). A provider reports
// failures as the calls do: FALSE or null, with the last error set.
#pragma once

#include <memory>
#include <string>

#include "platform/crypto/CryptApi.h"

namespace vk::crypto {

// One key of a context. Shared: a key handle keeps its key (and whatever the
// key needs of its context) alive after the context handle is released.
class IProviderKey {
public:
    virtual ~IProviderKey() = default;
    virtual BOOL GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) = 0;
    virtual BOOL SetParam(DWORD param, const BYTE* data, DWORD flags) = 0;
    virtual BOOL Export(DWORD blobType, DWORD flags, BYTE* data, DWORD* dataLen) = 0;
};

// One acquired context. Released when the last handle to it goes.
class IProviderContext {
public:
    virtual ~IProviderContext() = default;
    virtual BOOL GetParam(DWORD param, BYTE* data, DWORD* dataLen, DWORD flags) = 0;
    virtual BOOL SetParam(DWORD param, const BYTE* data, DWORD flags) = 0;
    virtual std::shared_ptr<IProviderKey> GetUserKey(DWORD keySpec) = 0;
    virtual std::shared_ptr<IProviderKey> GenKey(ALG_ID alg, DWORD flags) = 0;
    virtual std::shared_ptr<IProviderKey> ImportKey(const BYTE* blob, DWORD blobLen,
                                                    DWORD flags) = 0;
};

// A provider kind: opens and deletes key sets. The flags reaching it are
// already checked for known bits and contradictions (CRYPT_NEWKEYSET with
// CRYPT_DELETEKEYSET, CRYPT_VERIFYCONTEXT with either).
class ICryptProvider {
public:
    virtual ~ICryptProvider() = default;
    // container is null when the caller gave none. flags holds no
    // CRYPT_DELETEKEYSET here.
    virtual std::shared_ptr<IProviderContext> Acquire(const wchar_t* container, DWORD flags) = 0;
    // CRYPT_DELETEKEYSET: removes the key set; flags still carries the bit.
    virtual BOOL DeleteKeySet(const wchar_t* container, DWORD flags) = 0;
};

// The two-call pattern for providers: data null answers the size; a short
// buffer fails with ERROR_MORE_DATA and answers the size; otherwise copies.
BOOL CopyOut(const void* source, std::size_t size, BYTE* data, DWORD* dataLen);
BOOL CopyOutDword(DWORD value, BYTE* data, DWORD* dataLen);
// A narrow string with its terminating NUL.
BOOL CopyOutString(const std::string& text, BYTE* data, DWORD* dataLen);

}  // namespace vk::crypto
