// Files, shaped as the platform's calls. Handles are closed with CloseHandle (Handles.h).
// Share modes are accepted and not enforced (POSIX has no mandatory sharing locks); paths
// are taken as they are, so callers join them with "/".
#pragma once

#include "platform/WinTypes.h"
#include "platform/kernel/Mutex.h"

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
inline constexpr DWORD FILE_SHARE_DELETE = 0x00000004;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
inline constexpr DWORD MAX_PATH = 260;

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};

// Opens or creates a file. CREATE_NEW fails with ERROR_FILE_EXISTS when the name is taken
// (also by a symbolic link, which is never followed); CREATE_ALWAYS and OPEN_ALWAYS set
// ERROR_ALREADY_EXISTS when the file was there, ERROR_SUCCESS otherwise. New files get mode
// 0666 less the umask. INVALID_HANDLE_VALUE with the last error on failure.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES security, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
// Reads up to `toRead` bytes; *read is 0 at the end of the file. No overlapped I/O.
BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped);
// Writes every byte unless an error stops it; *written tells how many were written.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped);
// The size's low 32 bits (high ones in *sizeHigh when given); INVALID_FILE_SIZE with the last
// error on failure.
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
// Cuts the file at the current position.
BOOL SetEndOfFile(HANDLE file);
BOOL DeleteFileW(LPCWSTR fileName);
// Finds the first entry matching the pattern ("*" and "?" in the last part only);
// INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND when nothing matches.
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE find);
