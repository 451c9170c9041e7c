// The token maker's GUI tools: the owner PIN prompt.
#pragma once

#include <string>

#include "platform/WinTypes.h"
#include "platform/middleware/VKLib.h"

class QWidget;

// Asks for the user PIN of the token in the named reader, in a dialog owned by
// owner (the main window). The dialog names the reader and the token's label,
// masks the PIN, verifies it by logging in with the function set by
// vkGr_Set_PIN_Login and tells the tries left; a locked PIN is refused. With no
// such function the PIN is handed back unverified. Answers true with the PIN in pin when a PIN was
// accepted, false (pin empty) when the user gave up. The zero and 0x23 arguments are the callers'
// fixed values and select nothing here.
bool vkGr_Get_Owner_PIN(QWidget* owner, unsigned long reserved1, unsigned long mode,
                        unsigned long reserved2, VKLib_Protected_Buffer* pin,
                        unsigned long reserved3, VKLib_String* reader, unsigned long reserved4);

// Logs the token's user in with the NUL-terminated PIN; ERROR_SUCCESS or the
// provider's error code.
using vkGr_PIN_Login = DWORD (*)(const std::wstring& reader, const char* pin);

// The login the prompt verifies PINs with, for every prompt from now on.
void vkGr_Set_PIN_Login(vkGr_PIN_Login login);
