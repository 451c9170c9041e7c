#include "platform/kernel/Handles.h"

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/HandleTable.h"

BOOL CloseHandle(HANDLE handle) {
    auto object = CHandleTable::Instance().Remove(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->OnHandleClosed();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto object = CHandleTable::Instance().Find(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(milliseconds);
}
