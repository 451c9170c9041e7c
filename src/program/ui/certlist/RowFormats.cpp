#include "program/ui/certlist/RowFormats.h"

#include <cstring>

#include "program/app/UiLanguage.h"
#include "platform/cert/DateFormat.h"
#include "platform/crypto/CryptApi.h"

namespace SSertListItemInfo {
namespace {

constexpr wchar_t kUpperDigits[] = L"0123456789ABCDEF";
constexpr wchar_t kLowerDigits[] = L"0123456789abcdef";

constexpr DWORD kLongDateFlags = LOCALE_NOUSEROVERRIDE | DATE_LONGDATE;
constexpr DWORD kTimeFlags = LOCALE_NOUSEROVERRIDE;

void AppendHex(std::wstring& out, BYTE b, const wchar_t* digits) {
    out += digits[b >> 4];
    out += digits[b & 0x0F];
}

// Pairs separated by single spaces, so there is nothing to trim.
std::wstring SpacedPairs(std::span<const BYTE> bytes, const wchar_t* digits, bool reversed) {
    std::wstring text;
    text.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) {
            text += L' ';
        }
        AppendHex(text, reversed ? bytes[bytes.size() - 1 - i] : bytes[i], digits);
    }
    return text;
}

template <class Format>
std::wstring PlatformText(Format&& format) {
    const int size = format(nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    const int written = format(text.data(), size);
    text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
    return text;
}

}  // namespace

std::wstring SerialText(std::span<const BYTE> storedBytes) {
    return SpacedPairs(storedBytes, kUpperDigits, true);
}

std::wstring HexDumpText(std::span<const BYTE> bytes) {
    std::wstring text;
    text.reserve(bytes.size() * 5 / 2 + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 2 == 0 && i != 0) {
            text += L' ';
        }
        AppendHex(text, bytes[i], kUpperDigits);
    }
    return text;
}

std::wstring LowerHexText(std::span<const BYTE> bytes) {
    return SpacedPairs(bytes, kLowerDigits, false);
}

std::wstring KeySummaryText(std::span<const BYTE> blob) {
    if (blob.size() < sizeof(BLOBHEADER) + sizeof(RSAPUBKEY)) {
        return {};
    }
    RSAPUBKEY key;
    std::memcpy(&key, blob.data() + sizeof(BLOBHEADER), sizeof key);
    std::wstring text;
    for (int i = 0; i < 4; ++i) {
        text += static_cast<wchar_t>((key.magic >> (8 * i)) & 0xFF);
    }
    text += L" (" + std::to_wstring(static_cast<int>(key.bitlen)) + L")";
    return text;
}

std::wstring DateText(const FILETIME& time) {
    FILETIME local{};
    SYSTEMTIME parts{};
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts)) {
        return {};
    }
    const LCID locale = GetUiLanguage();
    const std::wstring date = PlatformText([&](LPWSTR out, int size) {
        return GetDateFormatW(locale, kLongDateFlags, &parts, nullptr, out, size);
    });
    const std::wstring clock = PlatformText([&](LPWSTR out, int size) {
        return GetTimeFormatW(locale, kTimeFlags, &parts, nullptr, out, size);
    });
    return date + L"   " + clock;
}

}  // namespace SSertListItemInfo
