#include "program/ops/CertificateImport.h"

#include <vector>

#include "platform/errors/WinError.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/CStatusText.h"
#include "program/ops/CertFileReader.h"
#include "program/ops/CertificateFileCheck.h"
#include "program/token/CCertException.h"
#include "program/token/CKeyInfo.h"
#include "program/token/CTokenInfo.h"
#include "program/token/ErrorText.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SVKCERT {

EImportResult ImportCertificateFile(const std::wstring& path, const SImportTarget& target,
                                    const CFrameFacade& facade) {
    CKeyInfo* key = target.key;
    std::wstring keyName;
    try {
        if (key != nullptr) {
            keyName = target.containerName + L"\\" + key->GetCertificateDisplayName();
        }
    } catch (const SEXCPT::CCertException&) {
        key = nullptr;
    }
    if (key == nullptr) {
        return EImportResult::NoKey;
    }
    CStatusText status(facade, FormatString(LoadLangString(IDS_ASSIGNING_CERT), keyName));
    std::vector<BYTE> bytes;
    if (const DWORD error = ReadCertificateFileBytes(path, bytes); error != ERROR_SUCCESS) {
        ShowMessageBox(
            FormatString(LoadLangString(IDS_OPEN_FILE_FAILED), path, ErrorDescription(error)),
            MB_ICONERROR);
        return EImportResult::Unreadable;
    }
    try {
        key->GetOpenKey().AssignCertificate(SFileFormats::ReadCertificateFile(bytes));
    } catch (const SEXCPT::CCertException& e) {
        ShowMessageBox(
            FormatString(LoadLangString(IDS_ASSIGN_CERT_FAILED), ErrorDescription(e.GetCode())),
            MB_ICONERROR);
        return EImportResult::Refused;
    }
    if (target.token != nullptr) {
        target.token->ClearTokenCaches();
    }
    key->ClearCaches();
    return EImportResult::Done;
}

}  // namespace SVKCERT
