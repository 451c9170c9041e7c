#include <new>
#include <vector>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Handles.h"
#include "platform/text/FormatString.h"
#include "program/app/LangResource.h"
#include "program/ops/pfximport/PfxImportStates.h"
#include "program/token/ErrorText.h"
#include "res/resource.h"

namespace SPFXMaster {

namespace {

class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// The whole file; the error code when it cannot be read.
DWORD ReadWholeFile(const std::wstring& path, std::vector<BYTE>& out) {
    CFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    DWORD sizeHigh = 0;
    const DWORD size = GetFileSize(file.Get(), &sizeHigh);
    if (size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) {
        return GetLastError();
    }
    if (sizeHigh != 0) {
        return ERROR_NOT_ENOUGH_MEMORY;  // no key file comes near 4 GiB
    }
    std::vector<BYTE> bytes(size);
    DWORD total = 0;
    while (total < size) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + total, size - total, &read, nullptr)) {
            return GetLastError();
        }
        if (read == 0) {
            break;  // the file shrank meanwhile
        }
        total += read;
    }
    bytes.resize(total);
    out = std::move(bytes);
    return ERROR_SUCCESS;
}

}  // namespace

CPfxStatePtr CLoadFileContents::Execute() {
    CPfxContext& context = *GetContext();
    std::vector<BYTE> contents;
    DWORD error = ERROR_SUCCESS;
    try {
        error = ReadWholeFile(context.fileName, contents);
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (error != ERROR_SUCCESS) {
        return std::make_unique<CErrorMessageState>(
            &context, IDS_PFX_READ_FAILED,
            FormatString(LoadLangString(IDS_PFX_READ_FAILED), context.fileName,
                         SVKCERT::ErrorDescription(error)));
    }
    context.fileContents = std::move(contents);
    return std::make_unique<CEnterFileNameAndPWDState>(&context);
}

}  // namespace SPFXMaster
