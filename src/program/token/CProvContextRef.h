// A shared reference to a provider context handed out by the context cache. The context is
// released with CryptReleaseContext once, when the last reference goes: the cache's own entry
// or an operation still using it, whichever lets go last.
#pragma once

#include <memory>

#include "platform/crypto/CryptApi.h"

namespace SVKCERT::SCONTEXTCACHE {

class CProvContextRef {
public:
    CProvContextRef() = default;

    // Takes over a handle from a successful CryptAcquireContextW.
    static CProvContextRef Adopt(HCRYPTPROV handle);

    HCRYPTPROV Get() const { return m_holder ? m_holder->handle : 0; }
    explicit operator bool() const { return m_holder != nullptr; }
    void Reset() { m_holder.reset(); }
    // References alive, the cache's included.
    long UseCount() const { return m_holder.use_count(); }

private:
    struct CHolder {
        explicit CHolder(HCRYPTPROV h) : handle(h) {}
        ~CHolder();
        CHolder(const CHolder&) = delete;
        CHolder& operator=(const CHolder&) = delete;
        const HCRYPTPROV handle;
    };

    std::shared_ptr<const CHolder> m_holder;
};

}  // namespace SVKCERT::SCONTEXTCACHE
