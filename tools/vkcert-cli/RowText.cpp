#include "RowText.h"

#include <cstdio>

#include "platform/text/Utf.h"

namespace vkcli {

std::string EscapedRowText(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += "\\\\";
                break;
            case L'\t':
                out += "\\t";
                break;
            case L'\r':
                out += "\\r";
                break;
            case L'\n':
                out += "\\n";
                break;
            default:
                if ((c >= 0 && c < 0x20) || (c >= 0x7F && c <= 0x9F)) {
                    char code[8];
                    std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned>(c));
                    out += code;
                } else {
                    out += WideToUtf8(std::wstring_view(&c, 1));
                }
        }
    }
    return out;
}

}  // namespace vkcli
