// String table blocks: block id/16 + 1 holds the strings id & ~15 .. id | 15,
// each a 16-bit length followed by that many UTF-16 code units.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/WinTypes.h"

inline constexpr WORD StringBlockId(UINT id) {
    return static_cast<WORD>((id >> 4) + 1);
}
inline constexpr UINT StringBlockIndex(UINT id) {
    return id & 15;
}

// Entry `index` (0..15) of a block; nothing when the block is too short to hold
// it. An entry of length 0 is an empty string: the id has no text in that block.
std::optional<std::wstring> StringFromBlock(std::span<const BYTE> block, UINT index);
