// The check of a file chosen in the import dialog of a key, and the bounded read of a
// certificate file.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace SVKCERT {

// The bytes of the file, when it is smaller than kCertificateFileSizeLimit; answers the error
// code (ERROR_INVALID_DATA for a larger file).
DWORD ReadCertificateFileBytes(const std::wstring& path, std::vector<BYTE>& out);

// A ".pfx" file passes (whatever the case; the PFX import reads it); a ".cer" file passes when
// it is a regular file smaller than kCertificateFileSizeLimit that holds a certificate (DER or
// Base64) of exactly this public key (KeyPublicKey.h). Everything else fails.
bool CertificateFilePasses(const std::wstring& path, std::span<const BYTE> keyPublicKey);

}  // namespace SVKCERT
