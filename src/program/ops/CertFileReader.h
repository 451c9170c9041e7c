// What a certificate file (*.cer) holds: the DER certificate, either as the
// file's bytes or Base64 between armour lines (CBase64CerFormat).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/WinTypes.h"

namespace SVKCERT::SFileFormats {

// The import accepts files smaller than this.
inline constexpr std::uint64_t kCertificateFileSizeLimit = 0xFFFF;

// Bytes without a zero byte are read as a Base64 file; when that fails or
// yields nothing, the bytes as they are count as the DER certificate. Whether
// the answer is a certificate is for its decoder to say.
std::vector<BYTE> ReadCertificateFile(std::span<const BYTE> bytes);

}  // namespace SVKCERT::SFileFormats
