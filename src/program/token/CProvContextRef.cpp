#include "program/token/CProvContextRef.h"

#include "platform/errors/LastError.h"

namespace SVKCERT::SCONTEXTCACHE {

CProvContextRef CProvContextRef::Adopt(HCRYPTPROV handle) {
    CProvContextRef ref;
    ref.m_holder = std::make_shared<const CHolder>(handle);
    return ref;
}

CProvContextRef::CHolder::~CHolder() {
    // A release may happen while the caller's failure is still to be read.
    const DWORD error = GetLastError();
    CryptReleaseContext(handle, 0);
    SetLastError(error);
}

}  // namespace SVKCERT::SCONTEXTCACHE
