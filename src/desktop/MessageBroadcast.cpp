#include "desktop/MessageBroadcast.h"

#include "desktop/BroadcastHub.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != HWND_BROADCAST) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!CBroadcastHub::Post(message, wParam, lParam)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    return TRUE;
}
