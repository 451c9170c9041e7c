#include "platform/text/CaseFold.h"

#include <algorithm>

namespace {

// Pairs laid out as upper at even code points, lower at the next odd one.
bool InEvenOddBlock(wchar_t c) {
    return (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177) ||
           (c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F);
}

// Pairs laid out as upper at odd code points, lower at the next even one.
bool InOddEvenBlock(wchar_t c) {
    return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) || (c >= 0x4C1 && c <= 0x4CE);
}

}  // namespace

wchar_t FoldCase(wchar_t c) {
    if (c < 0x80) {
        return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
    }
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F)) {
        return static_cast<wchar_t>(c + 32);
    }
    if (c >= 0x400 && c <= 0x40F) {
        return static_cast<wchar_t>(c + 80);
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if (InEvenOddBlock(c) && (c % 2) == 0) {
        return static_cast<wchar_t>(c + 1);
    }
    if (InOddEvenBlock(c) && (c % 2) == 1) {
        return static_cast<wchar_t>(c + 1);
    }
    return c;
}

std::wstring FoldCase(std::wstring_view text) {
    std::wstring out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](wchar_t c) { return FoldCase(c); });
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return FoldCase(x) == FoldCase(y); });
}
