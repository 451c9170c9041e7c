// Wide and UTF-8 text conversions: round trips, Cyrillic, and damaged input. Names in
// other string types of certificates are in tests/platform/cert.
#include <gtest/gtest.h>

#include "platform/text/Utf.h"

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
