// Assigning the certificate of a file to a key of a token.
#pragma once

#include <string>

#include "platform/WinTypes.h"

class CFrameFacade;
class CKeyInfo;
class CTokenInfo;

namespace SVKCERT {

enum class EImportResult { Done, NoKey, Unreadable, Refused };

// The key and its token as looked up again after the dialog (the token may have left
// meanwhile: no key).
struct SImportTarget {
    CKeyInfo* key = nullptr;
    CTokenInfo* token = nullptr;
    std::wstring containerName;
};

// Reads the file (Unreadable: message 180) and assigns its certificate to the key (Refused:
// message 181); NoKey, with nothing shown, without a key. The status bar says what runs until
// the end. After an assignment the token and key information forget what they had read.
EImportResult ImportCertificateFile(const std::wstring& path, const SImportTarget& target,
                                    const CFrameFacade& facade);

}  // namespace SVKCERT
