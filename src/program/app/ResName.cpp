#include "program/app/ResName.h"

#include <algorithm>

namespace {

wchar_t AsciiUpper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? c - L'a' + L'A' : c;
}

}  // namespace

bool CResName::operator==(const CResName& other) const {
    if (m_isText != other.m_isText) {
        return false;
    }
    if (!m_isText) {
        return m_id == other.m_id;
    }
    return std::ranges::equal(m_text, other.m_text,
                              [](wchar_t a, wchar_t b) { return AsciiUpper(a) == AsciiUpper(b); });
}
