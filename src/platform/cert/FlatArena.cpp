#include "platform/cert/FlatArena.h"

#include <limits>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::cert {

void* FlatArena::Alloc(std::size_t size, std::size_t align) {
    m_used = (m_used + align - 1) / align * align;
    void* p = nullptr;
    if (m_base) {
        p = m_base + m_used;
    } else {
        const std::size_t cells = (size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
        m_scratch.push_back(std::make_unique<std::max_align_t[]>(cells ? cells : 1));
        p = m_scratch.back().get();
    }
    m_used += size;
    return p;
}

BYTE* FlatArena::Copy(const void* data, std::size_t size) {
    if (size == 0) {
        return nullptr;
    }
    auto* p = static_cast<BYTE*>(Alloc(size, 1));
    std::memcpy(p, data, size);
    return p;
}

char* FlatArena::CopyString(std::string_view text) {
    auto* p = static_cast<char*>(Alloc(text.size() + 1, 1));
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = '\0';
    return p;
}

wchar_t* FlatArena::CopyWide(std::wstring_view text) {
    auto* p = static_cast<wchar_t*>(Alloc((text.size() + 1) * sizeof(wchar_t), alignof(wchar_t)));
    std::memcpy(p, text.data(), text.size() * sizeof(wchar_t));
    p[text.size()] = L'\0';
    return p;
}

BOOL FlatOutputCheck(void* pvOut, DWORD* pcbOut, std::size_t needed) {
    if (!pcbOut) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (needed > std::numeric_limits<DWORD>::max()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const DWORD have = *pcbOut;
    *pcbOut = static_cast<DWORD>(needed);
    if (!pvOut) {
        return TRUE;
    }
    if (have < needed) {
        SetLastError(ERROR_MORE_DATA);
        return FALSE;
    }
    if (reinterpret_cast<std::uintptr_t>(pvOut) % alignof(std::max_align_t) != 0 &&
        reinterpret_cast<std::uintptr_t>(pvOut) % 8 != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // structures need an aligned buffer
        return FALSE;
    }
    return TRUE;
}

BOOL BytesOutput(const void* data, std::size_t size, void* pvOut, DWORD* pcbOut) {
    if (!pcbOut) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD have = *pcbOut;
    *pcbOut = static_cast<DWORD>(size);
    if (!pvOut) {
        return TRUE;
    }
    if (have < size) {
        SetLastError(ERROR_MORE_DATA);
        return FALSE;
    }
    if (size) {
        std::memcpy(pvOut, data, size);
    }
    return TRUE;
}

}  // namespace vk::cert
