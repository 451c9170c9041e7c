// Unique identifiers: random (version 4) UUIDs and their textual form.
#pragma once

#include <string>

#include "platform/WinTypes.h"

struct UUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};

using RPC_STATUS = LONG;
using RPC_WSTR = wchar_t*;

inline constexpr RPC_STATUS RPC_S_OK = 0;
inline constexpr RPC_STATUS RPC_S_OUT_OF_MEMORY = 14;
inline constexpr RPC_STATUS RPC_S_INVALID_ARG = 87;
inline constexpr RPC_STATUS RPC_S_UUID_NO_ADDRESS = 1739;

// A new random UUID (OpenSSL's generator, else the kernel's); RPC_S_UUID_NO_ADDRESS when no
// random bytes could be had.
RPC_STATUS UuidCreate(UUID* uuid);
// The 36-character form, lower-case hexadecimal in groups of 8, 4, 4, 4 and 12, in a string
// that the caller frees with RpcStringFreeW.
RPC_STATUS UuidToStringW(const UUID* uuid, RPC_WSTR* text);
RPC_STATUS RpcStringFreeW(RPC_WSTR* text);

// The 36-character text of a new random UUID; empty when no random bytes could be had.
std::wstring NewUuidString();
