#include "platform/crypto/CryptApi.h"

#include <openssl/rand.h>

#include <new>

#include "platform/crypto/CryptProvider.h"
#include "platform/crypto/HandleTable.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/crypto/ProviderRegistry.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

using vk::crypto::HandleTable;
using vk::crypto::IProviderContext;
using vk::crypto::IProviderKey;

namespace {

constexpr DWORD kAcquireFlags = CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET |
                                CRYPT_MACHINE_KEYSET | CRYPT_SILENT |
                                CRYPT_DEFAULT_CONTAINER_OPTIONAL;

class Handles {
public:
    static Handles& Instance() {
        static Handles handles;
        return handles;
    }
    HandleTable<IProviderContext> contexts;
    HandleTable<IProviderKey> keys;

private:
    // OpenSSL must outlive the keys that the tables may still hold at exit.
    Handles() { vk::crypto::OpenSslInit(); }
};

// Runs a call, turning an escaping exception into the platform's error.
template <class F>
BOOL Guarded(F&& call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return FailWith(NTE_NO_MEMORY);
    } catch (...) {
        return FailWith(NTE_FAIL);
    }
}

std::shared_ptr<IProviderContext> FindContext(HCRYPTPROV hProv) {
    auto context = Handles::Instance().contexts.Get(hProv);
    if (!context) {
        SetLastError(NTE_BAD_UID);
    }
    return context;
}

std::shared_ptr<IProviderKey> FindKey(HCRYPTKEY hKey) {
    auto key = Handles::Instance().keys.Get(hKey);
    if (!key) {
        SetLastError(NTE_BAD_KEY);
    }
    return key;
}

BOOL IssueKey(std::shared_ptr<IProviderKey> key, HCRYPTKEY* phKey) {
    if (!key) {
        return FALSE;
    }
    *phKey = Handles::Instance().keys.Add(std::move(key));
    return TRUE;
}

}  // namespace

BOOL CryptAcquireContextW(HCRYPTPROV* phProv, LPCWSTR pszContainer, LPCWSTR pszProvider,
                          DWORD dwProvType, DWORD dwFlags) {
    return Guarded([&]() -> BOOL {
        if (phProv == nullptr) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        *phProv = 0;
        if ((dwFlags & ~kAcquireFlags) != 0) {
            return FailWith(NTE_BAD_FLAGS);
        }
        const DWORD action = dwFlags & (CRYPT_VERIFYCONTEXT | CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET);
        if (action != 0 && action != CRYPT_VERIFYCONTEXT && action != CRYPT_NEWKEYSET &&
            action != CRYPT_DELETEKEYSET) {
            return FailWith(NTE_BAD_FLAGS);
        }
        auto provider = vk::crypto::ProviderRegistry::Instance().Find(pszProvider, dwProvType);
        if (!provider) {
            return FALSE;
        }
        if (action == CRYPT_DELETEKEYSET) {
            return provider->DeleteKeySet(pszContainer, dwFlags);
        }
        auto context = provider->Acquire(pszContainer, dwFlags);
        if (!context) {
            return FALSE;
        }
        *phProv = Handles::Instance().contexts.Add(std::move(context));
        return TRUE;
    });
}

BOOL CryptReleaseContext(HCRYPTPROV hProv, DWORD dwFlags) {
    return Guarded([&]() -> BOOL {
        auto context = Handles::Instance().contexts.Remove(hProv);
        if (!context) {
            return FailWith(NTE_BAD_UID);
        }
        // The platform releases the context even when it refuses the flags.
        context.reset();
        return dwFlags == 0 ? TRUE : FailWith(NTE_BAD_FLAGS);
    });
}

BOOL CryptGetProvParam(HCRYPTPROV hProv, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen,
                       DWORD dwFlags) {
    return Guarded([&]() -> BOOL {
        auto context = FindContext(hProv);
        if (!context) {
            return FALSE;
        }
        if (pdwDataLen == nullptr) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        return context->GetParam(dwParam, pbData, pdwDataLen, dwFlags);
    });
}

BOOL CryptSetProvParam(HCRYPTPROV hProv, DWORD dwParam, const BYTE* pbData, DWORD dwFlags) {
    return Guarded([&]() -> BOOL {
        auto context = FindContext(hProv);
        return context ? context->SetParam(dwParam, pbData, dwFlags) : FALSE;
    });
}

BOOL CryptGetUserKey(HCRYPTPROV hProv, DWORD dwKeySpec, HCRYPTKEY* phUserKey) {
    return Guarded([&]() -> BOOL {
        if (phUserKey == nullptr) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        *phUserKey = 0;
        auto context = FindContext(hProv);
        return context ? IssueKey(context->GetUserKey(dwKeySpec), phUserKey) : FALSE;
    });
}

BOOL CryptGenKey(HCRYPTPROV hProv, ALG_ID Algid, DWORD dwFlags, HCRYPTKEY* phKey) {
    return Guarded([&]() -> BOOL {
        if (phKey == nullptr) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        *phKey = 0;
        auto context = FindContext(hProv);
        return context ? IssueKey(context->GenKey(Algid, dwFlags), phKey) : FALSE;
    });
}

BOOL CryptDestroyKey(HCRYPTKEY hKey) {
    return Guarded([&]() -> BOOL {
        return Handles::Instance().keys.Remove(hKey) ? TRUE : FailWith(NTE_BAD_KEY);
    });
}

BOOL CryptGetKeyParam(HCRYPTKEY hKey, DWORD dwParam, BYTE* pbData, DWORD* pdwDataLen,
                      DWORD dwFlags) {
    return Guarded([&]() -> BOOL {
        auto key = FindKey(hKey);
        if (!key) {
            return FALSE;
        }
        if (pdwDataLen == nullptr) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        return key->GetParam(dwParam, pbData, pdwDataLen, dwFlags);
    });
}

BOOL CryptSetKeyParam(HCRYPTKEY hKey, DWORD dwParam, const BYTE* pbData, DWORD dwFlags) {
    return Guarded([&]() -> BOOL {
        auto key = FindKey(hKey);
        return key ? key->SetParam(dwParam, pbData, dwFlags) : FALSE;
    });
}

BOOL CryptExportKey(HCRYPTKEY hKey, HCRYPTKEY hExpKey, DWORD dwBlobType, DWORD dwFlags,
                    BYTE* pbData, DWORD* pdwDataLen) {
    return Guarded([&]() -> BOOL {
        auto key = FindKey(hKey);
        if (!key) {
            return FALSE;
        }
        if (hExpKey != 0) {
            // Blobs wrapped under another key are not offered.
            return FailWith(NTE_BAD_KEY);
        }
        if (pdwDataLen == nullptr) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        return key->Export(dwBlobType, dwFlags, pbData, pdwDataLen);
    });
}

BOOL CryptImportKey(HCRYPTPROV hProv, const BYTE* pbData, DWORD dwDataLen, HCRYPTKEY hPubKey,
                    DWORD dwFlags, HCRYPTKEY* phKey) {
    return Guarded([&]() -> BOOL {
        if (phKey == nullptr) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        *phKey = 0;
        auto context = FindContext(hProv);
        if (!context) {
            return FALSE;
        }
        if (hPubKey != 0) {
            return FailWith(NTE_BAD_KEY);
        }
        if (pbData == nullptr || dwDataLen == 0) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        return IssueKey(context->ImportKey(pbData, dwDataLen, dwFlags), phKey);
    });
}

BOOL CryptGenRandom(HCRYPTPROV hProv, DWORD dwLen, BYTE* pbBuffer) {
    return Guarded([&]() -> BOOL {
        if (!FindContext(hProv)) {
            return FALSE;
        }
        if (dwLen == 0) {
            return TRUE;
        }
        if (pbBuffer == nullptr || dwLen > 0x7FFFFFFF) {
            return FailWith(ERROR_INVALID_PARAMETER);
        }
        return RAND_bytes(pbBuffer, static_cast<int>(dwLen)) == 1 ? TRUE : FailWith(NTE_FAIL);
    });
}
