#include "program/ops/CertificateFileExport.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "platform/text/FormatString.h"
#include "platform/text/Utf.h"
#include "program/app/LangResource.h"
#include "program/ops/CBase64CerFormat.h"
#include "program/token/ErrorText.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace SVKCERT {

namespace {

// Certificates are public: readable by all, like any file the user saves.
constexpr mode_t kCertificateFileMode = 0644;

std::mutex g_lastDirectoryLock;
std::wstring g_lastDirectory;

void SetLastExportDirectory(const std::wstring& path) {
    const std::wstring folder =
        Utf8ToWide(std::filesystem::path(WideToUtf8(path)).parent_path().string());
    std::lock_guard lock(g_lastDirectoryLock);
    g_lastDirectory = folder;
}

bool FileExists(const std::wstring& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(WideToUtf8(path)), error);
}

}  // namespace

std::wstring UpperExtension(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L'/');
    const std::size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
        return {};
    }
    std::wstring extension = path.substr(dot + 1);
    std::ranges::transform(extension, extension.begin(),
                           [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return extension;
}

std::wstring WithExtension(const std::wstring& path, std::wstring_view upperExtension) {
    if (UpperExtension(path) == upperExtension) {
        return path;
    }
    std::wstring lower(upperExtension);
    std::ranges::transform(lower, lower.begin(),
                           [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return path + L"." + lower;
}

DWORD WriteCertificateFile(const std::wstring& path, std::span<const BYTE> der,
                           ECertFileType type) {
    std::string text;
    std::span<const std::uint8_t> bytes = der;
    if (type == ECertFileType::Base64) {
        text = SFileFormats::CBase64CerFormat::Write(der);
        bytes = {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
    }
    return ReplaceFileAtomically(std::filesystem::path(WideToUtf8(path)), bytes,
                                 kCertificateFileMode);
}

std::wstring LastExportDirectory() {
    std::lock_guard lock(g_lastDirectoryLock);
    return g_lastDirectory;
}

void ExportCertificateCommand(const SExportSource& source, const CFrameFacade& facade) {
    SFileDialogRequest request;
    request.open = false;
    request.title = LoadLangString(IDS_EXPORT_DIALOG_TITLE);
    request.filter = LoadLangString(source.pfxOffered ? IDS_FILTER_EXPORT_PFX : IDS_FILTER_EXPORT);
    request.initialDirectory = LastExportDirectory();
    request.helpTopic = "10_Certificate_Export.html";
    // The question is about the file that would be replaced, its extension added.
    request.accept = [](const std::wstring& chosen, int filterIndex) {
        const std::wstring path = WithExtension(chosen, filterIndex == 3 ? L"PFX" : L"CER");
        if (FileExists(path) &&
            ShowMessageBox(FormatString(LoadLangString(IDS_CONFIRM_OVERWRITE), path),
                           MB_YESNO | MB_ICONWARNING) != IDYES) {
            return false;
        }
        SetLastExportDirectory(path);
        return true;
    };
    const std::optional<SFileDialogResult> file = GetUserInterface().FileDialog(request);
    if (!file || file->path.empty()) {
        return;
    }
    if (source.pfxOffered && file->filterIndex == 3) {
        facade.RunPfxExportWizard(WithExtension(file->path, L"PFX"), source.readerName,
                                  source.containerName, source.keySpec, source.certificateName);
        return;
    }
    const std::wstring path = WithExtension(file->path, L"CER");
    const auto type = file->filterIndex == 2 ? ECertFileType::Base64 : ECertFileType::Der;
    const DWORD error = WriteCertificateFile(path, source.certificate, type);
    if (error == ERROR_SUCCESS) {
        ShowMessageBox(FormatString(LoadLangString(IDS_EXPORT_SUCCEEDED), path),
                       MB_ICONINFORMATION);
    } else {
        ShowMessageBox(
            FormatString(LoadLangString(IDS_EXPORT_FAILED), path, ErrorDescription(error)),
            MB_ICONERROR);
    }
}

}  // namespace SVKCERT
