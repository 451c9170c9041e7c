// Writing a key's certificate to a file: the extension rule, the DER and Base64 files, and the
// export command with its save dialog, overwrite question and messages.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

class CFrameFacade;

namespace SVKCERT {

// The text after the last '.' of the file name, upper-cased; empty when the name has none.
std::wstring UpperExtension(const std::wstring& path);

// The path with "." and the extension (given upper-case, appended lower-case) added unless it
// already ends in it, whatever the case: cert -> cert.cer, cert.CER stays, a.txt -> a.txt.cer.
std::wstring WithExtension(const std::wstring& path, std::wstring_view upperExtension);

enum class ECertFileType { Der = 1, Base64 = 2 };

// Writes the certificate as the type says to a new file beside `path` and renames it into place,
// so a failure leaves the old file as it was. The answer is the error code.
DWORD WriteCertificateFile(const std::wstring& path, std::span<const BYTE> der, ECertFileType type);

// The folder of the last file chosen for an export in this process; empty before the first.
std::wstring LastExportDirectory();

// What the export command works on: the key's certificate and where the key lives.
struct SExportSource {
    std::vector<BYTE> certificate;
    std::wstring certificateName;
    std::wstring readerName;
    std::wstring containerName;
    DWORD keySpec = 0;
    bool pfxOffered = false;  // the user is logged in: a PFX file may be chosen
};

// Asks for the file (the overwrite question is asked while the dialog is up), writes the DER
// or Base64 file and tells the outcome, or hands a PFX file over to the export wizard.
void ExportCertificateCommand(const SExportSource& source, const CFrameFacade& facade);

}  // namespace SVKCERT
