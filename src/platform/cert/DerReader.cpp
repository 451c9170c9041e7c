#include "platform/cert/DerReader.h"

#include <charconv>

namespace vk::cert {

std::optional<std::uint8_t> DerReader::PeekTag() const {
    if (m_pos == m_end) {
        return std::nullopt;
    }
    return *m_pos;
}

bool DerReader::Next(DerElement& out) {
    const std::uint8_t* p = m_pos;
    if (m_end - p < 2) {
        return false;
    }
    const std::uint8_t tag = *p++;
    if ((tag & 0x1F) == 0x1F) {
        return false;  // multi-byte tags never occur in what we read
    }
    std::size_t length = *p++;
    if (length & 0x80) {
        const std::size_t count = length & 0x7F;
        if (count == 0 || count > 4 || static_cast<std::size_t>(m_end - p) < count) {
            return false;  // indefinite or absurd lengths
        }
        length = 0;
        for (std::size_t i = 0; i < count; ++i) {
            length = (length << 8) | *p++;
        }
        if (length < 0x80) {
            return false;  // not the shortest form
        }
    }
    if (static_cast<std::size_t>(m_end - p) < length) {
        return false;
    }
    out.tag = tag;
    out.contents = p;
    out.length = length;
    out.whole = m_pos;
    out.wholeLength = static_cast<std::size_t>(p + length - m_pos);
    m_pos = p + length;
    return true;
}

bool DerReader::Expect(std::uint8_t tag, DerElement& out) {
    const auto next = PeekTag();
    if (!next || *next != tag) {
        return false;
    }
    return Next(out);
}

std::optional<std::string> OidToText(const std::uint8_t* contents, std::size_t length) {
    if (length == 0 || (contents[length - 1] & 0x80)) {
        return std::nullopt;
    }
    std::string text;
    std::uint64_t arc = 0;
    bool first = true;
    bool startOfArc = true;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t b = contents[i];
        if (startOfArc && b == 0x80) {
            return std::nullopt;  // leading zero septet
        }
        if (arc > (UINT64_MAX >> 7)) {
            return std::nullopt;
        }
        arc = (arc << 7) | (b & 0x7F);
        startOfArc = !(b & 0x80);
        if (b & 0x80) {
            continue;
        }
        if (first) {
            const std::uint64_t top = arc < 40 ? 0 : arc < 80 ? 1 : 2;
            text = std::to_string(top) + "." + std::to_string(arc - top * 40);
            first = false;
        } else {
            text += "." + std::to_string(arc);
        }
        arc = 0;
    }
    return text;
}

std::optional<std::string> OidFromText(const std::string& dotted) {
    std::uint64_t arcs[64];
    std::size_t count = 0;
    const char* p = dotted.data();
    const char* end = p + dotted.size();
    while (p < end) {
        if (count == 64) {
            return std::nullopt;
        }
        auto [next, ec] = std::from_chars(p, end, arcs[count]);
        if (ec != std::errc{} || next == p) {
            return std::nullopt;
        }
        ++count;
        p = next;
        if (p < end) {
            if (*p != '.' || p + 1 == end) {
                return std::nullopt;
            }
            ++p;
        }
    }
    if (count < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] >= 40) || arcs[1] > UINT64_MAX - 80) {
        return std::nullopt;
    }
    std::string out;
    auto put = [&out](std::uint64_t v) {
        char tmp[10];
        int n = 0;
        do {
            tmp[n++] = static_cast<char>(v & 0x7F);
            v >>= 7;
        } while (v);
        while (n > 0) {
            --n;
            out.push_back(static_cast<char>(tmp[n] | (n ? 0x80 : 0)));
        }
    };
    put(arcs[0] * 40 + arcs[1]);
    for (std::size_t i = 2; i < count; ++i) {
        put(arcs[i]);
    }
    return out;
}

}  // namespace vk::cert
