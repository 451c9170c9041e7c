// Lays a decoded structure out in one caller-supplied buffer, the way the
// platform's decoders answer: the structure first, then everything its
// pointers point to. The same building code runs twice: once measuring (on
// scratch memory, so it can write as usual) and once filling the buffer.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace vk::cert {

class FlatArena {
public:
    // base null: measure only.
    explicit FlatArena(BYTE* base) : m_base(base) {}

    void* Alloc(std::size_t size, std::size_t align);

    template <class T>
    T* New() {
        return new (Alloc(sizeof(T), alignof(T))) T{};
    }
    template <class T>
    T* NewArray(std::size_t count) {
        T* items = static_cast<T*>(Alloc(sizeof(T) * count, alignof(T)));
        for (std::size_t i = 0; i < count; ++i) {
            new (items + i) T{};
        }
        return items;
    }
    BYTE* Copy(const void* data, std::size_t size);
    char* CopyString(std::string_view text);
    wchar_t* CopyWide(std::wstring_view text);

    std::size_t Used() const { return m_used; }

private:
    BYTE* m_base;
    std::size_t m_used = 0;
    std::vector<std::unique_ptr<std::max_align_t[]>> m_scratch;
};

// Runs build(arena) to measure, then to fill pvOut, with the two-call rules:
// null pvOut answers the size; a short buffer fails with ERROR_MORE_DATA.
// build answers false (with the last error set) when the input is bad.
template <class Build>
BOOL FlatOutput(void* pvOut, DWORD* pcbOut, Build&& build);

// For outputs already made as bytes: the same two-call rules.
BOOL BytesOutput(const void* data, std::size_t size, void* pvOut, DWORD* pcbOut);

// Implementation of FlatOutput.
BOOL FlatOutputCheck(void* pvOut, DWORD* pcbOut, std::size_t needed);

template <class Build>
BOOL FlatOutput(void* pvOut, DWORD* pcbOut, Build&& build) {
    FlatArena measure(nullptr);
    if (!build(measure)) {
        return FALSE;
    }
    if (!FlatOutputCheck(pvOut, pcbOut, measure.Used())) {
        return FALSE;
    }
    if (!pvOut) {
        return TRUE;
    }
    FlatArena fill(static_cast<BYTE*>(pvOut));
    return build(fill) ? TRUE : FALSE;
}

}  // namespace vk::cert
