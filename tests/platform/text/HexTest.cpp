// Hexadecimal text of bytes: letter case, separators between groups, narrow and wide.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

namespace {

struct HexCaseRow {
    std::vector<std::uint8_t> bytes;
    HexCase letters;
    std::string separator;
    std::size_t group;
    std::string expected;
};

void PrintTo(const HexCaseRow& row, std::ostream* os) {
    *os << '"' << row.expected << '"';
}

class HexForms : public ::testing::TestWithParam<HexCaseRow> {};

}  // namespace

TEST_P(HexForms, NarrowAndWideAgree) {
    const auto& row = GetParam();
    EXPECT_EQ(HexText(row.bytes, row.letters, row.separator, row.group), row.expected);
    EXPECT_EQ(WideHexText(row.bytes, row.letters, Utf8ToWide(row.separator), row.group),
              Utf8ToWide(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, HexForms,
    ::testing::Values(HexCaseRow{{0x00, 0x1F, 0xA0, 0xFF}, HexCase::Lower, "", 1, "001fa0ff"},
                      HexCaseRow{{0x00, 0x1F, 0xA0, 0xFF}, HexCase::Upper, " ", 1, "00 1F A0 FF"},
                      HexCaseRow{
                          {0x00, 0x1F, 0xA0, 0xFF, 0x7E}, HexCase::Upper, " ", 2, "001F A0FF 7E"},
                      HexCaseRow{{0x0A, 0xB0}, HexCase::Lower, ", ", 1, "0a, b0"},
                      HexCaseRow{{}, HexCase::Upper, " ", 1, ""}));

TEST(Hex, AppendAddsTwoDigits) {
    std::string narrow = "%";
    AppendHex(narrow, 0xE9, HexCase::Upper);
    std::wstring wide = L"x";
    AppendHex(wide, 0x0C, HexCase::Lower);
    EXPECT_EQ(narrow, "%E9");
    EXPECT_EQ(wide, L"x0c");
}
