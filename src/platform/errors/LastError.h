// The calling thread's last error, as the platform calls report it.
#pragma once

#include "platform/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD code);

// Maps an errno value to the system error code that stands for it.
DWORD ErrorFromErrno(int err);
