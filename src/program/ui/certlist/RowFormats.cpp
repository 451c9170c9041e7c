#include "program/ui/certlist/RowFormats.h"

#include <cstring>
#include <vector>

#include "platform/cert/DateFormat.h"
#include "platform/crypto/CryptApi.h"
#include "platform/text/Hex.h"
#include "program/app/UiLanguage.h"

namespace SSertListItemInfo {
namespace {

constexpr DWORD kLongDateFlags = LOCALE_NOUSEROVERRIDE | DATE_LONGDATE;
constexpr DWORD kTimeFlags = LOCALE_NOUSEROVERRIDE;

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
    const std::vector<BYTE> reversed(storedBytes.rbegin(), storedBytes.rend());
    return WideHexText(reversed, HexCase::Upper, L" ");
}

std::wstring HexDumpText(std::span<const BYTE> bytes) {
    return WideHexText(bytes, HexCase::Upper, L" ", 2);
}

std::wstring LowerHexText(std::span<const BYTE> bytes) {
    return WideHexText(bytes, HexCase::Lower, L" ");
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
