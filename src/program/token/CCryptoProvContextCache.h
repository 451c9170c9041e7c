// The process-wide cache of provider contexts acquired for containers: the same request gets
// the same context for as long as its token stays in its reader. The cache listens to the
// reader monitor and drops the contexts of a reader whose token was removed; at the end of the
// program it drops them all. A cached context whose container is gone (deleted, perhaps made
// again under the same name by another process) or whose token left is dropped when asked for
// again, and the request goes to the provider once more.
//
// The window thread acquires; the middleware's thread sweeps. A context handed out stays
// usable while its user holds the reference: a sweep only takes the entry out of the table,
// and the context is released when the last reference goes.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "platform/WinTypes.h"
#include "platform/crypto/CryptApi.h"
#include "program/core/sdp/CCriticalSectionLockObj.h"
#include "program/core/sdp/COwnedReceiver.h"
#include "program/token/CMonitor.h"
#include "program/token/CProvContextRef.h"

namespace SVKCERT::SCONTEXTCACHE {

class CCryptoProvContextCache {
public:
    using CReaderStateChangedMsg = SCardMonitor::CMonitor::CReaderStateChangedMsg;
    using ThreadModel = SCardMonitor::CMonitor::ThreadModel;

    // Ordered by provider, container (case-sensitive, empty first), type, flags. The reader
    // takes no part in ordering or equality: it only tells which entries a removal drops.
    struct CContextKey {
        std::wstring reader;
        std::wstring container;
        std::wstring provider;
        DWORD type = 0;
        DWORD flags = 0;

        bool operator<(const CContextKey& other) const;
    };

    CCryptoProvContextCache();
    ~CCryptoProvContextCache();
    CCryptoProvContextCache(const CCryptoProvContextCache&) = delete;
    CCryptoProvContextCache& operator=(const CCryptoProvContextCache&) = delete;

    // The process's cache (a registered singleton, created on first use).
    static CCryptoProvContextCache& Instance();

    // The cached context of the request, or a new one from CryptAcquireContextW. FALSE with the
    // provider's last error (and nothing cached) when the provider refuses. Null strings are
    // empty ones.
    BOOL Acquire(CProvContextRef* context, LPCWSTR container, LPCWSTR provider, LPCWSTR reader,
                 DWORD type, DWORD flags);

    // Drops the cached contexts of a container (every type and flags), e.g. once it is deleted.
    void Evict(LPCWSTR container, LPCWSTR provider);

    // A reader's state changed (middleware thread): a removal drops that reader's entries.
    void OnMessage(const CReaderStateChangedMsg& msg);

    std::size_t Size() const;

private:
    using Lock = SDP::STHREADS::WIN::CCriticalSectionLockObj;
    using Guard = ThreadModel::Guard;

    mutable Lock m_lock;
    SDP::SOBSERVER::COwnedReceiver<CCryptoProvContextCache, CReaderStateChangedMsg, ThreadModel>
        m_receiver;
    std::map<CContextKey, CProvContextRef> m_table;
};

}  // namespace SVKCERT::SCONTEXTCACHE
