// The two-call pattern of variable-length reads: ask for the length with a null buffer,
// allocate that many bytes, read again. Both calls are guarded (CCertException); a failed
// allocation leaves as std::bad_alloc.
#pragma once

#include <vector>

#include "platform/WinTypes.h"
#include "program/token/CCertException.h"

namespace SVKCERT {

// call(BYTE* buffer, DWORD* length) -> BOOL; Bytes may be a buffer that wipes itself.
template <class Bytes = std::vector<BYTE>, class Call>
Bytes TwoCallRead(Call&& call) {
    DWORD length = 0;
    SEXCPT::ThrowIfFailed(call(nullptr, &length));
    Bytes bytes(length);
    SEXCPT::ThrowIfFailed(call(bytes.data(), &length));
    bytes.resize(length);
    return bytes;
}

}  // namespace SVKCERT
