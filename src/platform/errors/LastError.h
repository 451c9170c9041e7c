// The calling thread's last error, as the platform calls report it.
#pragma once

#include "platform/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD code);

// Sets the calling thread's last error and returns the call's failure value: FALSE by
// default, or a null pointer or an empty optional for calls that answer those.
template <class Result = BOOL>
Result FailWith(DWORD code) {
    SetLastError(code);
    return Result{};
}

// Maps an errno value to the system error code that stands for it.
DWORD ErrorFromErrno(int err);
