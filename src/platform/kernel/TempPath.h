// The temporary folder and the tick count, shaped as the platform's calls.
#pragma once

#include "platform/WinTypes.h"

// Writes the temporary folder ($TMPDIR when it is an absolute path, else /tmp) with a
// trailing "/" and answers its length without the terminator. When the buffer is too small
// nothing is written and the answer is the size needed, terminator included.
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);

// Milliseconds since the system started, wrapping after 49.7 days.
DWORD GetTickCount();
