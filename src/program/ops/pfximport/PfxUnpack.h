// Unpacking a PFX file for the import: every certificate of the file that has a private key,
// with that key as a PRIVATEKEYBLOB. The software key sets the platform makes on the way are
// deleted as soon as their key is read out.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"
#include "program/ops/SPfxKeyPair.h"

namespace SPFXMaster {

using SVKCERT::SPfxKeyPair;

struct SPfxUnpackResult {
    // ERROR_SUCCESS, or why the file could not be unpacked (ERROR_INVALID_PASSWORD for a wrong
    // password).
    DWORD error = 0;
    std::vector<SPfxKeyPair> pairs;
};

// Never throws; slow for files with many key-derivation iterations, so the window runs it on
// another thread.
SPfxUnpackResult UnpackPfx(const std::vector<BYTE>& contents, const std::wstring& password);

}  // namespace SPFXMaster
