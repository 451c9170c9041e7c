#include "platform/cert/DateFormat.h"

#include <cstring>
#include <ctime>
#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000ULL;
constexpr std::int64_t kUnixEpochSeconds = 11644473600LL;   // 1601-01-01 to 1970-01-01
constexpr std::uint64_t kMaxTicks = 0x7FFFFFFFFFFFFFFFULL;  // year 30828

std::uint64_t Ticks(const FILETIME& ft) {
    return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

FILETIME FromTicks(std::uint64_t t) {
    return FILETIME{static_cast<DWORD>(t & 0xFFFFFFFF), static_cast<DWORD>(t >> 32)};
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

enum class Lang { English, Russian };

// Russian by its primary language; every other language, without patterns of its own, English.
Lang LangOf(LCID locale) {
    return (locale & 0x3FF) == 0x19 ? Lang::Russian : Lang::English;
}

bool ValidTime(const SYSTEMTIME& st) {
    return st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 && st.wDay <= 31 && st.wHour <= 23 &&
           st.wMinute <= 59 && st.wSecond <= 59 && st.wYear >= 1601 && st.wYear <= 30827;
}

int CopyOut(const std::wstring& text, LPWSTR out, int cch) {
    const int needed = static_cast<int>(text.size()) + 1;
    if (cch == 0) {
        return needed;
    }
    if (!out || cch < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(out, text.c_str(), static_cast<std::size_t>(needed) * sizeof(wchar_t));
    return needed;
}

std::wstring Two(unsigned v) {
    return (v < 10 ? L"0" : L"") + std::to_wstring(v);
}

}  // namespace

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
    if (!lpFileTime || !lpSystemTime || Ticks(*lpFileTime) > kMaxTicks) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::uint64_t ticks = Ticks(*lpFileTime);
    const std::uint64_t seconds = ticks / kTicksPerSecond;
    const auto days = static_cast<std::int64_t>(seconds / 86400);
    const std::uint64_t rest = seconds % 86400;
    int y = 0;
    unsigned m = 0, d = 0;
    const std::int64_t unixDays = days + DaysFromCivil(1601, 1, 1);
    CivilFromDays(unixDays, y, m, d);
    lpSystemTime->wYear = static_cast<WORD>(y);
    lpSystemTime->wMonth = static_cast<WORD>(m);
    lpSystemTime->wDay = static_cast<WORD>(d);
    lpSystemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    lpSystemTime->wHour = static_cast<WORD>(rest / 3600);
    lpSystemTime->wMinute = static_cast<WORD>(rest / 60 % 60);
    lpSystemTime->wSecond = static_cast<WORD>(rest % 60);
    lpSystemTime->wMilliseconds = static_cast<WORD>(ticks / 10000 % 1000);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime) {
    if (!lpSystemTime || !lpFileTime || !ValidTime(*lpSystemTime) ||
        lpSystemTime->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& st = *lpSystemTime;
    const std::int64_t days =
        DaysFromCivil(st.wYear, st.wMonth, st.wDay) - DaysFromCivil(1601, 1, 1);
    const auto seconds =
        static_cast<std::uint64_t>(days * 86400 + st.wHour * 3600 + st.wMinute * 60 + st.wSecond);
    *lpFileTime = FromTicks(seconds * kTicksPerSecond + std::uint64_t{st.wMilliseconds} * 10000);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime || Ticks(*lpFileTime) > kMaxTicks) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::uint64_t ticks = Ticks(*lpFileTime);
    const auto unixSeconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) - kUnixEpochSeconds;
    const auto t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    long offset = 0;
    if (localtime_r(&t, &local)) {
        offset = local.tm_gmtoff;
    }
    const std::int64_t shifted =
        static_cast<std::int64_t>(ticks) +
        static_cast<std::int64_t>(offset) * static_cast<std::int64_t>(kTicksPerSecond);
    if (shifted < 0 || static_cast<std::uint64_t>(shifted) > kMaxTicks) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpLocalFileTime = FromTicks(static_cast<std::uint64_t>(shifted));
    return TRUE;
}

int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat,
                   LPWSTR lpDateStr, int cchDate) {
    static const wchar_t* const kDays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                           L"Thursday", L"Friday", L"Saturday"};
    static const wchar_t* const kMonths[] = {L"January",   L"February", L"March",    L"April",
                                             L"May",       L"June",     L"July",     L"August",
                                             L"September", L"October",  L"November", L"December"};
    static const wchar_t* const kMonthsGenitiveRu[] = {
        L"января", L"февраля", L"марта",    L"апреля",  L"мая",    L"июня",
        L"июля",   L"августа", L"сентября", L"октября", L"ноября", L"декабря"};
    const Lang lang = LangOf(Locale);
    const DWORD format = dwFlags & ~LOCALE_NOUSEROVERRIDE;
    if (lpFormat || !lpDate || !ValidTime(*lpDate) || cchDate < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (format != 0 && format != DATE_SHORTDATE && format != DATE_LONGDATE) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    // The weekday is computed, not taken from the caller's field.
    const std::int64_t days = DaysFromCivil(lpDate->wYear, lpDate->wMonth, lpDate->wDay);
    const auto weekday = static_cast<std::size_t>(((days % 7) + 11) % 7);  // 1970-01-01: Thursday
    const std::wstring year = std::to_wstring(lpDate->wYear);
    std::wstring text;
    if (format == DATE_LONGDATE) {
        text = lang == Lang::English
                   ? std::wstring(kDays[weekday]) + L", " + kMonths[lpDate->wMonth - 1] + L" " +
                         std::to_wstring(lpDate->wDay) + L", " + year
                   : std::to_wstring(lpDate->wDay) + L" " + kMonthsGenitiveRu[lpDate->wMonth - 1] +
                         L" " + year + L" г.";
    } else {
        text = lang == Lang::English ? std::to_wstring(lpDate->wMonth) + L"/" +
                                           std::to_wstring(lpDate->wDay) + L"/" + year
                                     : Two(lpDate->wDay) + L"." + Two(lpDate->wMonth) + L"." + year;
    }
    return CopyOut(text, lpDateStr, cchDate);
}

int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat,
                   LPWSTR lpTimeStr, int cchTime) {
    const Lang lang = LangOf(Locale);
    if (lpFormat || !lpTime || lpTime->wHour > 23 || lpTime->wMinute > 59 || lpTime->wSecond > 59 ||
        cchTime < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const DWORD flags = dwFlags & ~LOCALE_NOUSEROVERRIDE;
    const bool h24 = lang == Lang::Russian || (flags & TIME_FORCE24HOURFORMAT);
    const unsigned hour = h24 ? lpTime->wHour : (lpTime->wHour % 12 == 0 ? 12 : lpTime->wHour % 12);
    std::wstring text = std::to_wstring(hour);
    if (!(flags & TIME_NOMINUTESORSECONDS)) {
        text += L":" + Two(lpTime->wMinute);
        if (!(flags & TIME_NOSECONDS)) {
            text += L":" + Two(lpTime->wSecond);
        }
    }
    if (!h24 && !(flags & TIME_NOTIMEMARKER)) {
        text += lpTime->wHour < 12 ? L" AM" : L" PM";
    }
    return CopyOut(text, lpTimeStr, cchTime);
}
