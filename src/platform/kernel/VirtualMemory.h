// Zero-filled memory straight from the system, for large buffers: pages are mapped on first
// touch, and large regions are backed by huge pages where the system offers them.
#pragma once

#include <cstddef>

#include "platform/WinTypes.h"

inline constexpr DWORD MEM_COMMIT = 0x00001000;
inline constexpr DWORD MEM_RESERVE = 0x00002000;
inline constexpr DWORD MEM_RELEASE = 0x00008000;
inline constexpr DWORD PAGE_READWRITE = 0x04;

// Allocates `size` zero bytes (address must be null, allocation MEM_COMMIT | MEM_RESERVE,
// protection PAGE_READWRITE). Null with the last error on failure.
void* VirtualAlloc(void* address, std::size_t size, DWORD allocationType, DWORD protect);
// Frees a whole allocation of VirtualAlloc (size 0, MEM_RELEASE); FALSE with the last error.
BOOL VirtualFree(void* address, std::size_t size, DWORD freeType);
