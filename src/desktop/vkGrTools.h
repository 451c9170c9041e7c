// The token maker's GUI tools: the owner PIN prompt.
#pragma once

#include "platform/middleware/VKLib.h"

class QWidget;

// Asks for the user PIN of the token in the named reader, in a dialog owned by
// owner (the main window). The dialog names the reader and the token's label,
// masks the PIN, verifies it with the token and tells the tries left; a locked
// PIN is refused. Answers true with the PIN in pin when a PIN was accepted,
// false (pin empty) when the user gave up. The zero and 0x23 arguments are
// the callers' fixed values and select nothing here.
bool vkGr_Get_Owner_PIN(QWidget* owner, unsigned long reserved1, unsigned long mode,
                        unsigned long reserved2, VKLib_Protected_Buffer* pin,
                        unsigned long reserved3, VKLib_String* reader, unsigned long reserved4);
