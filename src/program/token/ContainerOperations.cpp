#include "program/token/ContainerOperations.h"

#include "platform/crypto/CryptApi.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "program/token/CCertException.h"
#include "program/token/CCryptoProvContextCache.h"
#include "program/token/CReaderLock.h"
#include "program/token/ContainerNames.h"
#include "program/token/TwoCallRead.h"

namespace SVKCERT {

namespace {

using SCONTEXTCACHE::CProvContextRef;
using SEXCPT::CCertException;
using SEXCPT::ThrowIfFailed;

constexpr DWORD kSelectReader = 0x10007;
constexpr DWORD kDefaultMark = 0x10009;
constexpr DWORD kLoginState = 0x1000A;

// A context of the operation's own, released when it goes (on the error path too).
CProvContextRef AcquireOwn(LPCWSTR container, const CProviderDescriptor& provider, DWORD flags) {
    HCRYPTPROV handle = 0;
    ThrowIfFailed(
        CryptAcquireContextW(&handle, container, provider.name.c_str(), provider.type, flags));
    return CProvContextRef::Adopt(handle);
}

}  // namespace

void EnumContainers(const CProviderDescriptor& provider, const std::wstring& reader,
                    std::vector<std::wstring>& names) {
    CReaderLock lock(reader);
    CProvContextRef context = AcquireOwn(nullptr, provider, CRYPT_VERIFYCONTEXT);
    const std::string narrowReader = NarrowName(reader);
    ThrowIfFailed(CryptSetProvParam(context.Get(), kSelectReader,
                                    reinterpret_cast<const BYTE*>(narrowReader.c_str()), 0));
    DWORD size = 0;
    if (!CryptGetProvParam(context.Get(), PP_ENUMCONTAINERS, nullptr, &size, CRYPT_FIRST)) {
        const DWORD error = GetLastError();
        if (error == ERROR_NO_MORE_ITEMS) {
            return;
        }
        throw CCertException(error);
    }
    std::vector<BYTE> buffer(static_cast<std::size_t>(size) + 1);
    DWORD flags = CRYPT_FIRST;
    for (;;) {
        // Every call gets the buffer's full length: names differ in length.
        DWORD length = size;
        if (!CryptGetProvParam(context.Get(), PP_ENUMCONTAINERS, buffer.data(), &length, flags)) {
            break;
        }
        buffer[length < buffer.size() ? length : buffer.size() - 1] = 0;
        names.push_back(WideName(reinterpret_cast<const char*>(buffer.data())));
        flags = 0;
    }
}

std::wstring ReadDefaultContainer(const CProviderDescriptor& provider, const std::wstring& reader) {
    CReaderLock lock(reader);
    const std::wstring full = FullContainerName(reader, L"");
    CProvContextRef context = AcquireOwn(full.c_str(), provider, 0);
    DWORD length = 0;
    ThrowIfFailed(CryptGetProvParam(context.Get(), PP_CONTAINER, nullptr, &length, 0));
    std::vector<BYTE> buffer(static_cast<std::size_t>(length) + 2);
    ThrowIfFailed(CryptGetProvParam(context.Get(), PP_CONTAINER, buffer.data(), &length, 0));
    std::wstring name;
    if (length != 0) {
        buffer[length - 1] = 0;
        name = WideName(reinterpret_cast<const char*>(buffer.data()));
    }
    CryptSetProvParam(context.Get(), kLoginState, nullptr, 0);
    return name;
}

CProvContextRef AcquireCached(const CProviderDescriptor& provider, const std::wstring& reader,
                              const std::wstring& container, DWORD flags) {
    const std::wstring full = FullContainerName(reader, container);
    CProvContextRef context;
    ThrowIfFailed(SCONTEXTCACHE::CCryptoProvContextCache::Instance().Acquire(
        &context, full.c_str(), provider.name.c_str(), reader.c_str(), provider.type, flags));
    return context;
}

void SetDefaultContainer(const CProviderDescriptor& provider, const std::wstring& reader,
                         const std::wstring& container, bool on) {
    CReaderLock lock(reader);
    CProvContextRef context = AcquireCached(provider, reader, container);
    const DWORD value = on ? 1 : 0;
    ThrowIfFailed(
        CryptSetProvParam(context.Get(), kDefaultMark, reinterpret_cast<const BYTE*>(&value), 0));
}

void DeleteContainer(const CProviderDescriptor& provider, const std::wstring& reader,
                     const std::wstring& container) {
    const std::wstring full = FullContainerName(reader, container);
    HCRYPTPROV handle = 0;
    const BOOL deleted = CryptAcquireContextW(&handle, full.c_str(), provider.name.c_str(),
                                              provider.type, CRYPT_DELETEKEYSET);
    // Whatever the outcome, a cached context of that name may stand on nothing now.
    SCONTEXTCACHE::CCryptoProvContextCache::Instance().Evict(full.c_str(), provider.name.c_str());
    ThrowIfFailed(deleted);
}

CProvContextRef CreateContainerCached(const CProviderDescriptor& provider,
                                      const std::wstring& reader, const std::wstring& container) {
    const std::wstring full = FullContainerName(reader, container);
    CProvContextRef context;
    ThrowIfFailed(SCONTEXTCACHE::CCryptoProvContextCache::Instance().Acquire(
        &context, full.c_str(), provider.name.c_str(), reader.c_str(), provider.type,
        CRYPT_NEWKEYSET));
    return context;
}

CProvContextRef CreateContainer(const CProviderDescriptor& provider, const std::wstring& reader,
                                const std::wstring& container) {
    const std::wstring full = FullContainerName(reader, container);
    return AcquireOwn(full.c_str(), provider, CRYPT_NEWKEYSET);
}

}  // namespace SVKCERT
