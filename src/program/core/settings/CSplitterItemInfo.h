// A splitter column as stored: current width, then minimum width, each a
// 32-bit signed little-endian number of pixels; 8 bytes.
#pragma once

#include "platform/WinTypes.h"

namespace SLocalTools {

struct CSplitterItemInfo {
    LONG cxCur;
    LONG cxMin;
};

static_assert(sizeof(CSplitterItemInfo) == 8);

}  // namespace SLocalTools
