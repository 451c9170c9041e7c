#include "program/ops/CertificateFileCheck.h"

#include <algorithm>
#include <filesystem>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Handles.h"
#include "platform/text/Utf.h"
#include "program/ops/CertFileReader.h"
#include "program/ops/CertificateFileExport.h"
#include "program/ops/KeyPublicKey.h"

namespace SVKCERT {

DWORD ReadCertificateFileBytes(const std::wstring& path, std::vector<BYTE>& out) {
    out.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    // One byte past the bound tells a file that is too large.
    out.resize(SFileFormats::kCertificateFileSizeLimit);
    std::size_t got = 0;
    DWORD error = ERROR_SUCCESS;
    while (got < out.size()) {
        DWORD read = 0;
        if (!ReadFile(file, out.data() + got, static_cast<DWORD>(out.size() - got), &read,
                      nullptr)) {
            error = GetLastError();
            break;
        }
        if (read == 0) {
            break;
        }
        got += read;
    }
    CloseHandle(file);
    out.resize(got);
    if (error == ERROR_SUCCESS && got >= SFileFormats::kCertificateFileSizeLimit) {
        error = ERROR_INVALID_DATA;
    }
    if (error != ERROR_SUCCESS) {
        out.clear();
    }
    return error;
}

bool CertificateFilePasses(const std::wstring& path, std::span<const BYTE> keyPublicKey) {
    const std::wstring extension = UpperExtension(path);
    if (extension == L"PFX") {
        return true;
    }
    std::error_code error;
    if (extension != L"CER" ||
        !std::filesystem::is_regular_file(std::filesystem::path(WideToUtf8(path)), error)) {
        return false;
    }
    std::vector<BYTE> bytes;
    if (ReadCertificateFileBytes(path, bytes) != ERROR_SUCCESS) {
        return false;
    }
    const std::vector<BYTE> bits =
        CertificatePublicKeyBits(SFileFormats::ReadCertificateFile(bytes));
    return !bits.empty() && std::ranges::equal(bits, keyPublicKey);
}

}  // namespace SVKCERT
