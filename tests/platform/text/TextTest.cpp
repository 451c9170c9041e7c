// Text helpers: the string table formatter (every directive with widths and flags, Cyrillic
// text, percent signs, directives left without a fitting argument), hexadecimal text of bytes,
// and wide/UTF-8 conversions with damaged input. Names in the string types of certificates are
// in tests/platform/cert.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/text/FormatString.h"
#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

TEST(FormatString, FillsEveryDirective) {
    const std::wstring name = L"\u0422\u043E\u043A\u0435\u043D \u2116 1";  // Токен № 1
    EXPECT_EQ(FormatString(L"Reading token \"%s\" containers ...", name),
              L"Reading token \"\u0422\u043E\u043A\u0435\u043D \u2116 1\" containers ...");
    EXPECT_EQ(FormatString(L"%d|%i|%u", -42, 17, 4000000000u), L"-42|17|4000000000");
    EXPECT_EQ(FormatString(L"0x%08X", 0x80090016u), L"0x80090016");
    EXPECT_EQ(FormatString(L"0x%08X", 0x2Au), L"0x0000002A");
    EXPECT_EQ(FormatString(L"%02X:%02X:%02X", 0xABu, 0x5u, 0u), L"AB:05:00");
    EXPECT_EQ(FormatString(L"%X %x %02x", 255, 255, 10), L"FF ff 0a");
    EXPECT_EQ(FormatString(L"%5d|%-5d|%05d|%-05d", 42, 42, -42, 7), L"   42|42   |-0042|7    ");
    EXPECT_EQ(FormatString(L"[%6s][%-6s][%06s]", L"ab", L"ab", L"ab"), L"[    ab][ab    ][    ab]");
    EXPECT_EQ(FormatString(L"%ld %lu %ls", -1L, 2UL, L"x"), L"-1 2 x");
    EXPECT_EQ(FormatString(L"100%% of %d%%", 5), L"100% of 5%");
    EXPECT_EQ(FormatString(L"no directives"), L"no directives");
    EXPECT_EQ(FormatString(L""), L"");
}

TEST(FormatString, NumbersPrintTheirTrueValue) {
    EXPECT_EQ(FormatString(L"%d", std::int64_t{-9223372036854775807LL - 1}),
              L"-9223372036854775808");
    EXPECT_EQ(FormatString(L"%u", std::uint64_t{18446744073709551615ULL}), L"18446744073709551615");
    EXPECT_EQ(FormatString(L"%d", 0xFFFFFFFFu), L"4294967295");
    EXPECT_EQ(FormatString(L"%08X", -1), L"FFFFFFFF");
    EXPECT_EQ(FormatString(L"%u", -2), L"4294967294");
    EXPECT_EQ(FormatString(L"%X", std::int64_t{-4294967296LL}), L"FFFFFFFF00000000");
    EXPECT_EQ(FormatString(L"%d %u", std::int8_t{-5}, std::uint16_t{65535}), L"-5 65535");
}

TEST(FormatString, DirectivesWithoutAFittingArgumentStayAsWritten) {
    EXPECT_EQ(FormatString(L"a %s b %d"), L"a %s b %d");
    EXPECT_EQ(FormatString(L"%s and %s", L"one"), L"one and %s");
    EXPECT_EQ(FormatString(L"%d then %s", L"text", L"next"), L"%d then next")
        << "a wrong argument is used up";
    EXPECT_EQ(FormatString(L"%s then %08X", 5, 6u), L"%s then 00000006");
    EXPECT_EQ(FormatString(L"%q %.3s %c 50% %", 1), L"%q %.3s %c 50% %")
        << "unknown directives take no argument";
    EXPECT_EQ(FormatString(L"%q%d", 3), L"%q3");
    EXPECT_EQ(FormatString(L"%99999d", 1), L"%99999d");
    EXPECT_EQ(FormatString(L"trailing %"), L"trailing %");
    EXPECT_EQ(FormatString(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)");
    EXPECT_EQ(FormatString(L"%s", L"%d"), L"%d") << "inserted text is not read again";
}

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

TEST(Utf, RoundTripsAsciiCyrillicAndAstralText) {
    const std::wstring text = L"Tok\u0435n \u0422\u043E\u043A\u0435\u043D \U0001F511";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    EXPECT_EQ(WideToUtf8(L"\u0416"), "\xD0\x96");
}

TEST(Utf, DamagedSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8ToWide("a\xD0"), L"a\uFFFD");          // cut short
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD");        // over-long
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80x"), L"\uFFFDx");  // encoded surrogate
    EXPECT_EQ(Utf8ToWide("\xFFz"), L"\uFFFDz");
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}
