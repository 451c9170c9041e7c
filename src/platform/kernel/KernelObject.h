// Base of the objects that kernel handles stand for (mutexes now, files or events later).
#pragma once

#include "platform/WinTypes.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

class CKernelObject {
public:
    CKernelObject() = default;
    CKernelObject(const CKernelObject&) = delete;
    CKernelObject& operator=(const CKernelObject&) = delete;
    virtual ~CKernelObject() = default;

    // Waits for the object to be signalled: WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT or
    // WAIT_FAILED with the last error. Objects that cannot be waited for fail.
    virtual DWORD Wait(DWORD /*milliseconds*/) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    // Called once for every handle of this object that is closed.
    virtual void OnHandleClosed() {}
};
