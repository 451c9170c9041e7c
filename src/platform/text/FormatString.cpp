#include "platform/text/FormatString.h"

#include <limits>

namespace {

// Widths above this are taken for a mistake and the directive is left as written.
constexpr std::size_t kMaxWidth = 4096;

struct Directive {
    bool leftAlign = false;
    bool zeroPad = false;
    std::size_t width = 0;
    wchar_t type = 0;
    std::size_t length = 0;  // characters from the percent sign through the type
};

// Reads the directive at format[0] == '%'; false when it is none we fill.
bool ParseDirective(std::wstring_view format, Directive& d) {
    std::size_t i = 1;
    for (; i < format.size() && (format[i] == L'-' || format[i] == L'0'); ++i) {
        (format[i] == L'-' ? d.leftAlign : d.zeroPad) = true;
    }
    for (; i < format.size() && format[i] >= L'0' && format[i] <= L'9'; ++i) {
        d.width = d.width * 10 + static_cast<std::size_t>(format[i] - L'0');
        if (d.width > kMaxWidth) {
            return false;
        }
    }
    if (i < format.size() && format[i] == L'l') {
        ++i;
    }
    if (i >= format.size()) {
        return false;
    }
    d.type = format[i];
    d.length = i + 1;
    return std::wstring_view(L"sdiuxX").find(d.type) != std::wstring_view::npos;
}

std::wstring Digits(std::uint64_t v, unsigned base, bool upper) {
    const wchar_t* digits = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring out;
    do {
        out.insert(out.begin(), digits[v % base]);
        v /= base;
    } while (v != 0);
    return out;
}

// The value as an unsigned number: negative values in 32-bit two's complement
// when they fit in 32 bits.
std::uint64_t AsUnsigned(const FormatArg& arg) {
    if (arg.GetKind() == FormatArg::Kind::Unsigned) {
        return arg.Unsigned();
    }
    const std::int64_t v = arg.Signed();
    if (v < 0 && v >= std::numeric_limits<std::int32_t>::min()) {
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    }
    return static_cast<std::uint64_t>(v);
}

// The text of a numeric directive; false when the argument is not a number.
bool FormatNumber(const Directive& d, const FormatArg& arg, std::wstring& sign,
                  std::wstring& body) {
    if (arg.GetKind() == FormatArg::Kind::Text) {
        return false;
    }
    if (d.type == L'd' || d.type == L'i') {
        if (arg.GetKind() == FormatArg::Kind::Signed && arg.Signed() < 0) {
            sign = L"-";
            body = Digits(0 - static_cast<std::uint64_t>(arg.Signed()), 10, false);
        } else {
            body = Digits(AsUnsigned(arg), 10, false);
        }
        return true;
    }
    const bool hex = d.type == L'x' || d.type == L'X';
    body = Digits(AsUnsigned(arg), hex ? 16 : 10, d.type == L'X');
    return true;
}

void Append(std::wstring& out, const Directive& d, const std::wstring& sign,
            const std::wstring& body, bool zeroAllowed) {
    const std::size_t used = sign.size() + body.size();
    const std::size_t pad = d.width > used ? d.width - used : 0;
    if (d.leftAlign) {
        out += sign;
        out += body;
        out.append(pad, L' ');
    } else if (d.zeroPad && zeroAllowed) {
        out += sign;
        out.append(pad, L'0');
        out += body;
    } else {
        out.append(pad, L' ');
        out += sign;
        out += body;
    }
}

}  // namespace

std::wstring FormatStringArgs(std::wstring_view format, std::span<const FormatArg> args) {
    std::wstring out;
    out.reserve(format.size() + 32);
    std::size_t next = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find(L'%', i);
        if (percent == std::wstring_view::npos) {
            out.append(format.substr(i));
            break;
        }
        out.append(format.substr(i, percent - i));
        const std::wstring_view rest = format.substr(percent);
        if (rest.size() >= 2 && rest[1] == L'%') {
            out.push_back(L'%');
            i = percent + 2;
            continue;
        }
        Directive d;
        if (!ParseDirective(rest, d)) {
            out.push_back(L'%');
            i = percent + 1;
            continue;
        }
        i = percent + d.length;
        const std::wstring_view written = rest.substr(0, d.length);
        if (next >= args.size()) {
            out.append(written);
            continue;
        }
        const FormatArg& arg = args[next++];
        if (d.type == L's') {
            if (arg.GetKind() != FormatArg::Kind::Text) {
                out.append(written);
                continue;
            }
            Append(out, d, L"", std::wstring(arg.Text()), false);
            continue;
        }
        std::wstring sign;
        std::wstring body;
        if (!FormatNumber(d, arg, sign, body)) {
            out.append(written);
            continue;
        }
        Append(out, d, sign, body, true);
    }
    return out;
}
