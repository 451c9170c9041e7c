// RSA public keys between their DER (RSAPublicKey, the bits a certificate
// carries) and the platform's public key blob.
#pragma once

#include <span>
#include <vector>

#include "platform/WinTypes.h"

namespace SSertListItemInfo {

// CryptDecodeObject(RSA_CSP_PUBLICKEYBLOB); throws CCertException.
std::vector<BYTE> DecodePublicKeyBlob(std::span<const BYTE> der);

// CryptEncodeObject(RSA_CSP_PUBLICKEYBLOB) of a blob whose length is checked
// against its header first; throws CCertException (NTE_BAD_DATA for a blob
// shorter than its header says).
std::vector<BYTE> EncodePublicKeyBlob(std::span<const BYTE> blob);

}  // namespace SSertListItemInfo
