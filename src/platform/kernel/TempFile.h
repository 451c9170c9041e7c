// A file created exclusively: the name must not exist (not even as a dangling symbolic
// link), the file is the user's alone (mode 0600), and it is deleted again when the object
// is destroyed unless it was kept.
#pragma once

#include <cstddef>
#include <string>

#include "platform/WinTypes.h"

class CTempFile {
public:
    CTempFile() = default;
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    CTempFile(CTempFile&& other) noexcept;
    CTempFile& operator=(CTempFile&& other) noexcept;

    // Creates `path`; false with the last error, ERROR_FILE_EXISTS when the name is taken.
    bool Create(const std::wstring& path);
    // Writes every byte; false with the last error.
    bool Write(const void* data, std::size_t size);
    // Flushes and closes the file, which stays until the object is destroyed; false with
    // the last error when the data may not have reached the disk.
    bool Close();
    // Keeps the file when the object is destroyed.
    void Keep() { m_keep = true; }

    bool IsOpen() const { return m_fd >= 0; }
    const std::wstring& Path() const { return m_path; }

private:
    void Reset();

    int m_fd = -1;
    std::wstring m_path;
    bool m_created = false;
    bool m_keep = false;
};
