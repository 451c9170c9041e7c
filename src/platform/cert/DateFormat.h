// File times, local time and the long date and time texts of the interface
// languages, shaped as the platform calls.
//
// Locales: Russian ones (primary language 0x19, e.g. 1049) take the Russian
// patterns; every other locale (1024 user default, 1033, 2057, 1031, ...) the
// English ones, so a date is never empty. The patterns are fixed:
//
//   English long date   "dddd, MMMM d, yyyy"   Sunday, December 6, 2026
//   English short date  "M/d/yyyy"             12/6/2026
//   English time        "h:mm:ss tt"           5:43:36 PM
//   Russian long date   "d MMMM yyyy 'г.'"     6 декабря 2026 г.   (month in the genitive)
//   Russian short date  "dd.MM.yyyy"           06.12.2026
//   Russian time        "H:mm:ss"              17:43:36
//
// Local time is the process's time zone (TZ), so TZ=UTC gives UTC.
#pragma once

#include "platform/WinTypes.h"

using LCID = DWORD;

inline constexpr DWORD LOCALE_NOUSEROVERRIDE = 0x80000000;
inline constexpr DWORD DATE_SHORTDATE = 0x00000001;
inline constexpr DWORD DATE_LONGDATE = 0x00000002;
inline constexpr DWORD TIME_NOMINUTESORSECONDS = 0x00000001;
inline constexpr DWORD TIME_NOSECONDS = 0x00000002;
inline constexpr DWORD TIME_NOTIMEMARKER = 0x00000004;
inline constexpr DWORD TIME_FORCE24HOURFORMAT = 0x00000008;

// Both fail with ERROR_INVALID_PARAMETER outside years 1601..30827.
BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime);

// lpFormat must be null (the locale's pattern). Answer: characters written
// including the terminating zero; cchDate 0 answers the size needed; 0 on
// failure (ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER, ERROR_INVALID_FLAGS).
int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat,
                   LPWSTR lpDateStr, int cchDate);
int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat,
                   LPWSTR lpTimeStr, int cchTime);
