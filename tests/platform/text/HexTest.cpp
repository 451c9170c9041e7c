// Hexadecimal text of bytes: letter case, separators between groups, narrow and wide alike.
#include <gtest/gtest.h>

#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

TEST(Hex, CaseSeparatorAndGroupSize) {
    const std::vector<std::uint8_t> bytes = {0x00, 0x1F, 0xA0, 0xFF, 0x7E};
    const struct {
        HexCase letters;
        const char* separator;
        std::size_t group;
        const char* expected;
    } rows[] = {{HexCase::Lower, "", 1, "001fa0ff7e"},
                {HexCase::Upper, " ", 1, "00 1F A0 FF 7E"},
                {HexCase::Upper, " ", 2, "001F A0FF 7E"},
                {HexCase::Lower, ", ", 3, "001fa0, ff7e"}};
    for (const auto& row : rows) {
        EXPECT_EQ(HexText(bytes, row.letters, row.separator, row.group), row.expected);
        EXPECT_EQ(WideHexText(bytes, row.letters, Utf8ToWide(row.separator), row.group),
                  Utf8ToWide(row.expected));
    }
    EXPECT_EQ(HexText({}, HexCase::Upper, " "), "");
    std::wstring wide = L"%";
    AppendHex(wide, 0xE9, HexCase::Upper);
    EXPECT_EQ(wide, L"%E9");
}
