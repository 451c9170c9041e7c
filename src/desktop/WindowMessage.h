// The parameter types of window messages and the broadcast address, for the
// desktop calls that carry messages between programs of the user's session.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

// Windows are the toolkit's own objects; a handle only names a destination.
struct HWND__;
using HWND = HWND__*;

// Every top-level window of every program of the user's session.
inline HWND const HWND_BROADCAST = reinterpret_cast<HWND>(std::uintptr_t{0xFFFF});

// Registered message numbers lie in this range.
inline constexpr UINT kFirstRegisteredMessage = 0xC000;
inline constexpr UINT kLastRegisteredMessage = 0xFFFF;
