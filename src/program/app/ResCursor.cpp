#include "program/app/ResCursor.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsHighSurrogate(WORD u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(WORD u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Appends the code unit `u`, joining it with `next` when they form a pair;
// answers how many units were used.
int AppendUnit(std::wstring& out, WORD u, int nextOrMinus1) {
    if (IsHighSurrogate(u) && nextOrMinus1 >= 0 &&
        IsLowSurrogate(static_cast<WORD>(nextOrMinus1))) {
        const char32_t cp =
            0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(nextOrMinus1) - 0xDC00);
        out.push_back(static_cast<wchar_t>(cp));
        return 2;
    }
    out.push_back(IsHighSurrogate(u) || IsLowSurrogate(u) ? kReplacement : static_cast<wchar_t>(u));
    return 1;
}

}  // namespace

bool CResCursor::Need(std::size_t count) {
    if (!m_ok || m_pos > m_data.size() || count > m_data.size() - m_pos) {
        m_ok = false;
    }
    return m_ok;
}

BYTE CResCursor::Byte() {
    if (!Need(1)) {
        return 0;
    }
    return m_data[m_pos++];
}

WORD CResCursor::Word() {
    if (!Need(2)) {
        return 0;
    }
    const WORD v = static_cast<WORD>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

DWORD CResCursor::Dword() {
    const DWORD low = Word();
    const DWORD high = Word();
    return m_ok ? (low | (high << 16)) : 0;
}

std::wstring CResCursor::Text() {
    std::wstring out;
    int pending = -1;
    for (;;) {
        const WORD u = Word();
        if (!m_ok) {
            return {};
        }
        if (pending >= 0) {
            const int used = AppendUnit(out, static_cast<WORD>(pending), u);
            pending = -1;
            if (used == 2) {
                continue;
            }
        }
        if (u == 0) {
            return out;
        }
        if (IsHighSurrogate(u)) {
            pending = u;
        } else {
            AppendUnit(out, u, -1);
        }
    }
}

CResName CResCursor::TextOrId() {
    const std::size_t start = m_pos;
    const WORD first = Word();
    if (!m_ok) {
        return {};
    }
    if (first == 0xFFFF) {
        return CResName(Word());
    }
    m_pos = start;
    return CResName(Text());
}

std::span<const BYTE> CResCursor::Bytes(std::size_t count) {
    if (!Need(count)) {
        return {};
    }
    const auto view = m_data.subspan(m_pos, count);
    m_pos += count;
    return view;
}

void CResCursor::AlignDword(std::size_t base) {
    if (!m_ok) {
        return;
    }
    const std::size_t rel = m_pos - base;
    const std::size_t aligned = base + ((rel + 3) & ~std::size_t{3});
    m_pos = aligned < m_data.size() ? aligned : m_data.size();
}

std::wstring Utf16LeToWide(std::span<const BYTE> bytes) {
    std::wstring out;
    const std::size_t units = bytes.size() / 2;
    out.reserve(units);
    auto unit = [&](std::size_t i) {
        return static_cast<WORD>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    };
    for (std::size_t i = 0; i < units;) {
        i += AppendUnit(out, unit(i), i + 1 < units ? unit(i + 1) : -1);
    }
    return out;
}
