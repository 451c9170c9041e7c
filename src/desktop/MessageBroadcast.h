// Posting a window message to every top-level window of the user's session.
//
// The message goes to this process's receivers (CBroadcastReceiver) through the
// Qt event loop, and, when a D-Bus session bus is there, to every other program
// listening on it as the signal org.vkcert.Broadcast.Message (name, number,
// wParam, lParam) on path /org/vkcert/Broadcast. A registered message travels
// by name, so each program hears it under its own number. Posted, never sent:
// receivers run after the poster returns to the event loop, on the window
// thread. Callable from any thread once the Qt application object exists.
#pragma once

#include "desktop/WindowMessage.h"

// Only HWND_BROADCAST is accepted as the window. FALSE with the last error
// ERROR_INVALID_PARAMETER for any other window, ERROR_NOT_SUPPORTED before the Qt
// application object exists. Failing to reach the session bus is not an error:
// the program then has no one else to tell.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
