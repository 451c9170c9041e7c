// The text formats of the certificate property rows.
#pragma once

#include <span>
#include <string>

#include "platform/WinTypes.h"

namespace SSertListItemInfo {

// Serial number bytes stored least significant first, written from the last to
// the first as upper-case hex pairs separated by spaces: 01 02 A3 -> "A3 02 01".
std::wstring SerialText(std::span<const BYTE> storedBytes);

// Upper-case hex in groups of two bytes: 30 82 01 0A 02 -> "3082 010A 02".
std::wstring HexDumpText(std::span<const BYTE> bytes);

// Lower-case hex pairs separated by spaces (thumbprints).
std::wstring LowerHexText(std::span<const BYTE> bytes);

// "RSA1 (2048)": the magic's four characters and the bit length of a public key
// blob (BLOBHEADER, RSAPUBKEY, modulus). Empty when the blob is too short.
std::wstring KeySummaryText(std::span<const BYTE> blob);

// The file time in local time (the TZ of the process) as the long date, three
// spaces and the time, in the fixed patterns of the interface language:
//   English (1024)  "dddd, MMMM d, yyyy" + "h:mm:ss tt"  Sunday, December 6, 2026   5:43:36 PM
//   Russian (1049)  "d MMMM yyyy 'г.'" + "H:mm:ss"       6 декабря 2026 г.   17:43:36
// Empty when the time cannot be shown.
std::wstring DateText(const FILETIME& time);

}  // namespace SSertListItemInfo
