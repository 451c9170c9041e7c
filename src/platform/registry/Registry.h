// The registry calls, shaped as the platform offers them.
//
// Two hives exist: HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, each a readable
// text file in $XDG_CONFIG_HOME/vkcert/ (default ~/.config/vkcert/), named
// "HKEY_CURRENT_USER.reg" and "HKEY_LOCAL_MACHINE.reg". The machine hive is
// per user here: there is no root-owned machine hive.
//
// Every call answers an error code (ERROR_SUCCESS on success) and leaves the
// last error alone, as the platform's registry calls do.
//
// Keys and value names are matched without regard to letter case and keep the
// case they were created with. A key path is a list of names separated by
// single backslashes; a name holds no control characters, at most 255
// characters for a key name and 16383 for a value name. An empty or null value
// name is the key's default (unnamed) value.
//
// Data are kept as exact bytes with their type; no call adds or strips
// anything. REG_SZ data are the bytes of a wchar_t string including its
// terminating NUL; wchar_t is 4 bytes here, so "Y" as REG_SZ is 8 bytes:
// 59 00 00 00 00 00 00 00 (little-endian). A REG_DWORD is 4 bytes,
// little-endian.
//
// Writes are saved at once, atomically, under a file lock; each write applies
// only its own change to the hive as it is on disk, so writes of several
// processes never lose one another. Reads see other processes' writes.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"
#include "platform/errors/WinError.h"

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});

// Access rights.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_EXECUTE = 0x20019;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Value types.
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// Options of RegCreateKeyExW (only REG_OPTION_NON_VOLATILE is accepted).
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;

// Dispositions answered by RegCreateKeyExW.
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below hKey (an empty or null subKey opens hKey itself
// again). ERROR_FILE_NOT_FOUND when the key does not exist.
LONG RegOpenKeyExW(HKEY hKey, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);

// Opens the key, creating it and any missing parents. disposition (optional)
// answers REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. The class and the
// security attributes are ignored.
LONG RegCreateKeyExW(HKEY hKey, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                     REGSAM desired, void* securityAttributes, PHKEY result, DWORD* disposition);

// Reads a value. type and data are optional. With data null, *dataSize
// receives the size. With a buffer smaller than the value: ERROR_MORE_DATA and
// *dataSize receives the size needed; the buffer is left alone. A missing
// value: ERROR_FILE_NOT_FOUND. reserved must be null.
LONG RegQueryValueExW(HKEY hKey, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);

// Writes a value of any type with exactly the given bytes. reserved must be 0.
LONG RegSetValueExW(HKEY hKey, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);

// Deletes a value. ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegDeleteValueW(HKEY hKey, LPCWSTR valueName);

// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKeyW(HKEY hKey, LPCWSTR subKey);

// Closes a key opened by RegOpenKeyExW or RegCreateKeyExW. Closing a root key
// does nothing.
LONG RegCloseKey(HKEY hKey);
