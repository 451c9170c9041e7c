// Small helpers shared by the registry tests.
#pragma once

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry/Registry.h"

namespace regtest {

inline std::vector<BYTE> SzBytes(const std::wstring& text) {
    std::vector<BYTE> out((text.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(out.data(), text.data(), text.size() * sizeof(wchar_t));
    return out;
}

inline LONG Set(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type,
                const std::vector<BYTE>& data) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    rc = RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return rc;
}

// Reads a value with the two-call sizing; the error code when it cannot.
inline LONG Get(HKEY root, const wchar_t* path, const wchar_t* name, std::vector<BYTE>& data,
                DWORD* type = nullptr) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    DWORD size = 0;
    rc = RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        data.assign(size, 0);
        rc = RegQueryValueExW(key, name, nullptr, type, data.data(), &size);
        data.resize(size);
    }
    RegCloseKey(key);
    return rc;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace regtest
