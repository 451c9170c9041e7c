// The texts of a certificate row as vkcert-cli cert prints them: one line, UTF-8.
#pragma once

#include <string>

namespace vkcli {

// A backslash as \\, a tab \t, a carriage return \r, a line feed \n; every other control
// character (U+0000..U+001F, U+007F..U+009F) as \xNN of its code, so none reaches a terminal.
std::string EscapedRowText(const std::wstring& text);

}  // namespace vkcli
