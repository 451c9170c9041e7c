// The main window's placement as stored: the platform's window placement
// record, eleven 32-bit little-endian fields, 44 bytes.
#pragma once

#include <cstddef>

#include "platform/WinTypes.h"

struct CWindowPlacement {
    struct Point {
        LONG x;
        LONG y;
    };
    struct Rect {
        LONG left;
        LONG top;
        LONG right;
        LONG bottom;
    };

    DWORD length;  // 44
    DWORD flags;
    DWORD showCmd;  // 0 hidden, 1 normal, 2 shown minimised, 3 maximised, 6 minimised
    Point ptMinPosition;
    Point ptMaxPosition;
    Rect rcNormalPosition;  // screen coordinates of the restored window
};

static_assert(sizeof(CWindowPlacement) == 44);
static_assert(offsetof(CWindowPlacement, showCmd) == 8);
static_assert(offsetof(CWindowPlacement, ptMinPosition) == 12);
static_assert(offsetof(CWindowPlacement, ptMaxPosition) == 20);
static_assert(offsetof(CWindowPlacement, rcNormalPosition) == 28);
