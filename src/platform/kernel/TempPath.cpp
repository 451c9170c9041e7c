#include "platform/kernel/TempPath.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string folder = tmpdir && tmpdir[0] == '/' ? tmpdir : "/tmp";
    if (folder.back() != '/') {
        folder += '/';
    }
    std::wstring wide = Utf8ToWide(folder);
    auto length = static_cast<DWORD>(wide.size());
    if (!buffer || bufferLength <= length) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return length + 1;
    }
    wide.copy(buffer, wide.size());
    buffer[length] = L'\0';
    return length;
}

DWORD GetTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    auto ms = static_cast<unsigned long long>(ts.tv_sec) * 1000u +
              static_cast<unsigned long long>(ts.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}
