// A bounds-checked reader over the little-endian bytes of a resource. Every
// read past the end fails and leaves the cursor failed, so a parser can read a
// whole record and check once.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "platform/WinTypes.h"
#include "program/app/ResName.h"

class CResCursor {
public:
    explicit CResCursor(std::span<const BYTE> data, std::size_t pos = 0)
        : m_data(data), m_pos(pos) {}

    bool Ok() const { return m_ok; }
    std::size_t Pos() const { return m_pos; }
    std::size_t Remaining() const { return m_ok ? m_data.size() - m_pos : 0; }
    bool AtEnd() const { return !m_ok || m_pos >= m_data.size(); }

    BYTE Byte();
    WORD Word();
    DWORD Dword();
    short Short() { return static_cast<short>(Word()); }
    // A zero-terminated UTF-16 text, surrogate pairs joined.
    std::wstring Text();
    // The sz_Or_Ord field: 0xFFFF and an ordinal, or a zero-terminated text.
    // An empty text stands for "none".
    CResName TextOrId();
    // `count` bytes, handed out as a view into the data.
    std::span<const BYTE> Bytes(std::size_t count);
    // Moves to the next multiple of 4 counted from `base` (the data never
    // holds the padding when it is the last thing, so the end is allowed).
    void AlignDword(std::size_t base = 0);
    void Skip(std::size_t count) { Bytes(count); }
    void Fail() { m_ok = false; }

private:
    bool Need(std::size_t count);

    std::span<const BYTE> m_data;
    std::size_t m_pos;
    bool m_ok = true;
};

// UTF-16 code units (little-endian bytes) to wide text; lone surrogates become U+FFFD.
std::wstring Utf16LeToWide(std::span<const BYTE> bytes);
