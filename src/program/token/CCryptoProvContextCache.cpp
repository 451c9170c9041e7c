#include "program/token/CCryptoProvContextCache.h"

#include <tuple>
#include <utility>
#include <vector>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "program/core/sdp/CSingletonRegistry.h"

namespace SVKCERT::SCONTEXTCACHE {

namespace {

std::wstring Text(LPCWSTR text) {
    return text != nullptr ? std::wstring(text) : std::wstring();
}

// A cached context on a container still stands on it: no other container made under the same
// name since, and the same token insertion.
bool StillValid(const CProvContextRef& context, DWORD flags) {
    if ((flags & CRYPT_VERIFYCONTEXT) != 0) {
        return true;
    }
    DWORD length = 0;
    if (CryptGetProvParam(context.Get(), PP_CONTAINER, nullptr, &length, 0)) {
        return true;
    }
    const DWORD error = GetLastError();
    return error != NTE_BAD_KEYSET && error != SCARD_W_REMOVED_CARD;
}

}  // namespace

bool CCryptoProvContextCache::CContextKey::operator<(const CContextKey& other) const {
    return std::tie(provider, container, type, flags) <
           std::tie(other.provider, other.container, other.type, other.flags);
}

CCryptoProvContextCache::CCryptoProvContextCache() {
    m_receiver.SetOwner(this);
    // The monitor registers before the cache, so the registry destroys it after the cache.
    SCardMonitor::CMonitor& monitor = SDP::SINGLETON::Instance<SCardMonitor::CMonitor>();
    monitor.StartMonitoring();
    monitor.Subscribe(m_receiver);
    SDP::SINGLETON::AddRef<SCardMonitor::CMonitor>();
}

CCryptoProvContextCache::~CCryptoProvContextCache() {
    // No handler runs once this returns, so a reader event arriving now touches nothing here.
    m_receiver.SetOwner(nullptr);
    std::map<CContextKey, CProvContextRef> table;
    {
        Guard guard(m_lock);
        table.swap(m_table);
    }
    table.clear();
    SDP::SINGLETON::Release<SCardMonitor::CMonitor>();
}

CCryptoProvContextCache& CCryptoProvContextCache::Instance() {
    return SDP::SINGLETON::Instance<CCryptoProvContextCache>();
}

BOOL CCryptoProvContextCache::Acquire(CProvContextRef* context, LPCWSTR container, LPCWSTR provider,
                                      LPCWSTR reader, DWORD type, DWORD flags) {
    CContextKey key{Text(reader), Text(container), Text(provider), type, flags};
    CProvContextRef stale;  // released after the lock, with its failure kept
    Guard guard(m_lock);
    if (auto found = m_table.find(key); found != m_table.end()) {
        if (StillValid(found->second, flags)) {
            if (context != nullptr) {
                *context = found->second;
            }
            return TRUE;
        }
        stale = std::move(found->second);
        m_table.erase(found);
    }
    HCRYPTPROV handle = 0;
    if (!CryptAcquireContextW(&handle, container, provider, type, flags)) {
        if (context != nullptr) {
            context->Reset();
        }
        return FALSE;
    }
    CProvContextRef ref = CProvContextRef::Adopt(handle);
    m_table.emplace(std::move(key), ref);
    if (context != nullptr) {
        *context = std::move(ref);
    }
    return TRUE;
}

void CCryptoProvContextCache::Evict(LPCWSTR container, LPCWSTR provider) {
    const std::wstring name = Text(container);
    const std::wstring providerName = Text(provider);
    std::vector<CProvContextRef> dropped;
    Guard guard(m_lock);
    for (auto it = m_table.begin(); it != m_table.end();) {
        if (it->first.container == name && it->first.provider == providerName) {
            dropped.push_back(std::move(it->second));
            it = m_table.erase(it);
        } else {
            ++it;
        }
    }
}

void CCryptoProvContextCache::OnMessage(const CReaderStateChangedMsg& msg) {
    std::vector<CProvContextRef> dropped;
    {
        Guard guard(m_lock);
        const std::wstring reader = msg.readerName;
        if ((msg.currentState & SCardMonitor::SCARD_STATE_PRESENT) != 0) {
            return;
        }
        for (auto it = m_table.begin(); it != m_table.end();) {
            if (it->first.reader == reader) {
                dropped.push_back(std::move(it->second));
                it = m_table.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Contexts nobody uses any more are released here, outside the cache lock; the others
    // when their last user lets go.
}

std::size_t CCryptoProvContextCache::Size() const {
    Guard guard(m_lock);
    return m_table.size();
}

}  // namespace SVKCERT::SCONTEXTCACHE
