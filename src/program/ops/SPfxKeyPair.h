// A private key (PRIVATEKEYBLOB, in a buffer that wipes itself) and its DER certificate, as
// they pass between a token and a PFX file.
#pragma once

#include <vector>

#include "platform/WinTypes.h"
#include "platform/crypto/SecureBytes.h"

namespace SVKCERT {

struct SPfxKeyPair {
    vk::crypto::SecureBytes keyBlob;
    std::vector<BYTE> certificate;
};

}  // namespace SVKCERT
