// Date formatting calls in English and Russian, of the local time by TZ (other languages take the
// English patterns). Certificate dates are compared with openssl in CertMadeTest and, for the CA
// bundle, through vkcert-cli.
#include "platform/cert/DateFormat.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "support/EnvOverride.h"

namespace {

FILETIME FileTimeOf(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{s, mi, h, d, mo - 1, y - 1900, 0, 0, 0, 0, nullptr};
    const auto ticks = (static_cast<std::uint64_t>(timegm(&tm)) + 11644473600ULL) * 10000000ULL;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

TEST(DateFormat, LongAndShortTextsInEnglishAndRussianOfTheLocalTimeAndCalendarFields) {
    const FILETIME dec6 = FileTimeOf(2026, 12, 6, 17, 43, 36);
    struct Case {
        const char* tz;
        FILETIME utc;
        LCID lang;
        const wchar_t* text;
    } cases[] = {
        {"UTC", dec6, 1024, L"Sunday, December 6, 2026   5:43:36 PM"},
        {"UTC", dec6, 1033, L"Sunday, December 6, 2026   5:43:36 PM"},
        {"UTC", dec6, 1049, L"6 декабря 2026 г.   17:43:36"},
        {"UTC", dec6, 2057, L"Sunday, December 6, 2026   5:43:36 PM"},    // en-GB
        {"UTC", dec6, 3081, L"Sunday, December 6, 2026   5:43:36 PM"},    // en-AU
        {"UTC", dec6, 1031, L"Sunday, December 6, 2026   5:43:36 PM"},    // de-DE
        {"UTC", dec6, 1036, L"Sunday, December 6, 2026   5:43:36 PM"},    // fr-FR
        {"UTC", dec6, 0x0007, L"Sunday, December 6, 2026   5:43:36 PM"},  // de, neutral
        {"UTC", FileTimeOf(2000, 5, 1, 0, 5, 9), 1033, L"Monday, May 1, 2000   12:05:09 AM"},
        {"UTC", FileTimeOf(2000, 5, 1, 0, 5, 9), 1049, L"1 мая 2000 г.   0:05:09"},
        {"UTC", FileTimeOf(2024, 2, 29, 23, 59, 59), 1049, L"29 февраля 2024 г.   23:59:59"},
        {"Europe/Moscow", FileTimeOf(2026, 12, 6, 22, 43, 36), 1049,
         L"7 декабря 2026 г.   1:43:36"},
        {"America/New_York", FileTimeOf(2026, 7, 1, 3, 0, 0), 1033,
         L"Tuesday, June 30, 2026   11:00:00 PM"},
    };
    for (const auto& c : cases) {
        vktest::EnvOverride zone;
        zone.Set("TZ", c.tz);
        tzset();
        // The program's row text: long date, three spaces, time, of the local time.
        FILETIME local{};
        SYSTEMTIME st{};
        EXPECT_TRUE(FileTimeToLocalFileTime(&c.utc, &local));
        EXPECT_TRUE(FileTimeToSystemTime(&local, &st));
        wchar_t date[64];
        wchar_t time[64];
        EXPECT_GT(GetDateFormatW(c.lang, 0x80000002, &st, nullptr, date, 64), 0);
        EXPECT_GT(GetTimeFormatW(c.lang, 0x80000000, &st, nullptr, time, 64), 0);
        EXPECT_EQ(std::wstring(date) + L"   " + time, c.text) << c.tz << " " << c.lang;
    }
    tzset();

    // Calendar fields round-trip at the ends; texts have their sizing rules.
    for (const FILETIME& ft :
         {FILETIME{0, 0}, FileTimeOf(1970, 1, 1, 0, 0, 0), FileTimeOf(9999, 12, 31, 23, 59, 59)}) {
        SYSTEMTIME st{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        FILETIME back{};
        ASSERT_TRUE(SystemTimeToFileTime(&st, &back));
        EXPECT_EQ(back.dwLowDateTime, ft.dwLowDateTime);
        EXPECT_EQ(back.dwHighDateTime, ft.dwHighDateTime);
    }
    SYSTEMTIME first{};
    const FILETIME zero{0, 0};
    ASSERT_TRUE(FileTimeToSystemTime(&zero, &first));
    EXPECT_EQ(first.wYear, 1601);
    EXPECT_EQ(first.wMonth, 1);
    EXPECT_EQ(first.wDay, 1);
    EXPECT_EQ(first.wDayOfWeek, 1);  // Monday
    const FILETIME huge{0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_FALSE(FileTimeToSystemTime(&huge, &first));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    SYSTEMTIME st{2026, 12, 0, 6, 17, 43, 36, 0};
    const int needed = GetDateFormatW(1049, DATE_LONGDATE, &st, nullptr, nullptr, 0);
    EXPECT_EQ(needed, static_cast<int>(std::wstring(L"6 декабря 2026 г.").size()) + 1);
    wchar_t small[5];
    EXPECT_EQ(GetDateFormatW(1049, DATE_LONGDATE, &st, nullptr, small, 5), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    wchar_t text[32];
    EXPECT_GT(GetDateFormatW(1033, DATE_SHORTDATE, &st, nullptr, text, 32), 0);
    EXPECT_STREQ(text, L"12/6/2026");
    EXPECT_GT(GetDateFormatW(1049, DATE_SHORTDATE, &st, nullptr, text, 32), 0);
    EXPECT_STREQ(text, L"06.12.2026");
    EXPECT_GT(GetDateFormatW(1031, DATE_SHORTDATE, &st, nullptr, text, 32), 0);  // German
    EXPECT_STREQ(text, L"12/6/2026");
    st.wMonth = 13;
    EXPECT_EQ(GetDateFormatW(1033, DATE_LONGDATE, &st, nullptr, text, 32), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
