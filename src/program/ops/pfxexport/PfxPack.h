// Packing a token key with its certificate into a PFX file's bytes, through a temporary
// software key set that goes again on every path.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/ops/SPfxKeyPair.h"

namespace SEXPPFXMaster {

// The PKCS #12 bytes of the certificate with its private key (of that specification) under the
// password, the friendly name on both. Throws CCertException.
std::vector<BYTE> PackPfx(const SVKCERT::SPfxKeyPair& pair, DWORD keySpec,
                          const std::wstring& friendlyName, const std::wstring& password);

}  // namespace SEXPPFXMaster
