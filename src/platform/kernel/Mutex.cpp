#include "platform/kernel/Mutex.h"

#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/NamedMutex.h"

namespace {

HANDLE OpenOrCreate(LPCWSTR name, bool create, bool initialOwner) {
    bool existed = false;
    auto mutex = CNamedMutex::Open(name ? std::wstring(name) : std::wstring(), create, initialOwner,
                                   &existed);
    if (!mutex) {
        return nullptr;
    }
    HANDLE handle = CHandleTable::Instance().Add(mutex);
    SetLastError(existed && create ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

}  // namespace

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES /*attributes*/, BOOL initialOwner, LPCWSTR name) {
    return OpenOrCreate(name, true, initialOwner != FALSE);
}

HANDLE OpenMutexW(DWORD /*desiredAccess*/, BOOL /*inheritHandle*/, LPCWSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return OpenOrCreate(name, false, false);
}

BOOL ReleaseMutex(HANDLE handle) {
    auto mutex = std::dynamic_pointer_cast<CNamedMutex>(CHandleTable::Instance().Find(handle));
    if (!mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return mutex->Release() ? TRUE : FALSE;
}
