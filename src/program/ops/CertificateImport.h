// Assigning the certificate of a file to a key of a token.
#pragma once

#include <string>

#include "platform/WinTypes.h"

class CFrameFacade;

namespace SVKCERT {

enum class EImportResult { Done, NoKey, Unreadable, Refused };

// Looks the key up again (the token may have left meanwhile: NoKey, nothing shown), reads the
// file (Unreadable: message 180) and assigns its certificate to the key (Refused: message 181).
// The status bar says what runs until the end. After an assignment the token and key
// information forget what they had read.
EImportResult ImportCertificateFile(const std::wstring& path, const std::wstring& readerName,
                                    const std::wstring& containerName, DWORD keySpec,
                                    const CFrameFacade& facade);

}  // namespace SVKCERT
