// Named and unnamed mutexes, shaped as the platform's calls (see NamedMutex.h for how names
// are shared between processes). Handles are closed with CloseHandle and waited for with
// WaitForSingleObject (Handles.h).
#pragma once

#include "platform/WinTypes.h"

// Security attributes are accepted and ignored: lock files are the user's own (mode 0600).
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

inline constexpr DWORD SYNCHRONIZE = 0x00100000;
inline constexpr DWORD MUTEX_MODIFY_STATE = 0x0001;
inline constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

// Creates the mutex or opens the existing one of that name. The last error is
// ERROR_ALREADY_EXISTS when a live handle of any process had the name (the caller then
// does not own it, whatever `initialOwner` says), ERROR_SUCCESS otherwise. A null or empty
// name makes a mutex of this process alone. Null with the last error on failure.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
// Opens an existing mutex; null with ERROR_FILE_NOT_FOUND when no live handle has the name.
HANDLE OpenMutexW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
// Gives up one level of ownership; FALSE with ERROR_NOT_OWNER when the calling thread does
// not own the mutex, ERROR_INVALID_HANDLE when the handle is not a mutex.
BOOL ReleaseMutex(HANDLE mutex);
