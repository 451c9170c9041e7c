// A key's public key as a certificate of the key carries it: the bits of the subject public key
// (for RSA the DER RSAPublicKey). Certificate files are matched against it before an import.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "platform/WinTypes.h"

class CKeyInfo;

namespace SVKCERT {

// The subject public key bits of a DER certificate; empty when the bytes are no certificate.
std::vector<BYTE> CertificatePublicKeyBits(std::span<const BYTE> der);

// From the key's stored certificate; for a key without one while the user is logged in, its
// PUBLICKEYBLOB re-encoded, the read bracketed by keyRead(1) and keyRead(2); empty otherwise.
std::vector<BYTE> ReadKeyPublicKey(CKeyInfo& key, DWORD loginState,
                                   const std::function<void(DWORD code)>& keyRead);

}  // namespace SVKCERT
