// A resource type or name: a 16-bit ordinal or a text.
#pragma once

#include <string>

#include "platform/WinTypes.h"

class CResName {
public:
    CResName() = default;
    CResName(WORD id)
        : m_id(id) {}  // NOLINT(google-explicit-constructor): ids read as plain numbers
    CResName(std::wstring text) : m_isText(true), m_text(std::move(text)) {}  // NOLINT
    CResName(const wchar_t* text) : CResName(std::wstring(text)) {}           // NOLINT

    bool IsId() const { return !m_isText; }
    WORD Id() const { return m_id; }
    const std::wstring& Text() const { return m_text; }
    // The empty text, which templates use for "none".
    bool Empty() const { return m_isText && m_text.empty(); }

    // Ids compare by value, texts without regard to ASCII case (the resource
    // compiler stores names in upper case).
    bool operator==(const CResName& other) const;

private:
    bool m_isText = false;
    WORD m_id = 0;
    std::wstring m_text;
};
