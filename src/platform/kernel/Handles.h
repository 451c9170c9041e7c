// Closing and waiting on kernel handles.
#pragma once

#include "platform/WinTypes.h"

inline constexpr DWORD INFINITE = 0xFFFFFFFF;

// FALSE with ERROR_INVALID_HANDLE when the handle is not open.
BOOL CloseHandle(HANDLE handle);
// WAIT_OBJECT_0, WAIT_ABANDONED (a mutex whose owner died holding it; the caller now owns
// it), WAIT_TIMEOUT, or WAIT_FAILED with the last error.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
