#include "platform/kernel/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/HandleTable.h"
#include "platform/text/Utf.h"

namespace {

// An open file; the descriptor is closed with the last reference.
class CFileObject final : public CKernelObject {
public:
    explicit CFileObject(int fd) : m_fd(fd) {}
    ~CFileObject() override { close(m_fd); }
    int Fd() const { return m_fd; }

private:
    const int m_fd;
};

// A finished search: nothing is kept but the handle.
class CFindObject final : public CKernelObject {};

std::shared_ptr<CFileObject> FileOf(HANDLE handle) {
    auto file = std::dynamic_pointer_cast<CFileObject>(CHandleTable::Instance().Find(handle));
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return file;
}

DWORD ErrorOf(int err) {
    return err == EISDIR ? ERROR_ACCESS_DENIED : ErrorFromErrno(err);
}

int OpenFile(const std::string& path, int flags) {
    int fd;
    do {
        fd = open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

FILETIME ToFileTime(const timespec& ts) {
    // 100-nanosecond steps since 1601-01-01.
    constexpr unsigned long long kEpochDifference = 116444736000000000ULL;
    unsigned long long t = kEpochDifference +
                           static_cast<unsigned long long>(ts.tv_sec) * 10000000ULL +
                           static_cast<unsigned long long>(ts.tv_nsec) / 100;
    return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

void Describe(const std::string& name, const struct stat& st, WIN32_FIND_DATAW* data) {
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    data->ftCreationTime = ToFileTime(st.st_mtim);
    data->ftLastAccessTime = ToFileTime(st.st_atim);
    data->ftLastWriteTime = ToFileTime(st.st_mtim);
    auto size = static_cast<unsigned long long>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    std::wstring wide = Utf8ToWide(name);
    wide.copy(data->cFileName, std::min<std::size_t>(wide.size(), MAX_PATH - 1));
}

}  // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                   LPSECURITY_ATTRIBUTES /*security*/, DWORD creationDisposition,
                   DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = WideToUtf8(fileName);
    bool read = desiredAccess & GENERIC_READ;
    bool write = desiredAccess & GENERIC_WRITE;
    int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    int fd = -1;
    bool existed = false;
    switch (creationDisposition) {
        case CREATE_NEW:
            fd = OpenFile(path, flags | O_CREAT | O_EXCL);
            if (fd < 0 && errno == EEXIST) {
                SetLastError(ERROR_FILE_EXISTS);
                return INVALID_HANDLE_VALUE;
            }
            break;
        case CREATE_ALWAYS:
        case OPEN_ALWAYS:
            fd = OpenFile(path, flags | O_CREAT | O_EXCL);
            if (fd < 0 && errno == EEXIST) {
                existed = true;
                fd = OpenFile(path, flags | (creationDisposition == CREATE_ALWAYS ? O_TRUNC : 0));
            }
            break;
        case OPEN_EXISTING:
            fd = OpenFile(path, flags);
            break;
        case TRUNCATE_EXISTING:
            if (!write) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_HANDLE_VALUE;
            }
            fd = OpenFile(path, flags | O_TRUNC);
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    if (fd < 0) {
        SetLastError(ErrorOf(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = CHandleTable::Instance().Add(std::make_shared<CFileObject>(fd));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* /*overlapped*/) {
    if (read) {
        *read = 0;
    }
    auto object = FileOf(file);
    if (!object) {
        return FALSE;
    }
    ssize_t n;
    do {
        n = ::read(object->Fd(), buffer, toRead);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetLastError(ErrorOf(errno));
        return FALSE;
    }
    if (read) {
        *read = static_cast<DWORD>(n);
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written,
               void* /*overlapped*/) {
    if (written) {
        *written = 0;
    }
    auto object = FileOf(file);
    if (!object) {
        return FALSE;
    }
    auto p = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < toWrite) {
        ssize_t n = ::write(object->Fd(), p + done, toWrite - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetLastError(ErrorOf(errno));
            if (written) {
                *written = done;
            }
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written) {
        *written = done;
    }
    return TRUE;
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
    auto object = FileOf(file);
    struct stat st {};
    if (!object) {
        return INVALID_FILE_SIZE;
    }
    if (fstat(object->Fd(), &st) != 0) {
        SetLastError(ErrorOf(errno));
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<unsigned long long>(st.st_size);
    if (sizeHigh) {
        *sizeHigh = static_cast<DWORD>(size >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

BOOL SetEndOfFile(HANDLE file) {
    auto object = FileOf(file);
    if (!object) {
        return FALSE;
    }
    off_t at = lseek(object->Fd(), 0, SEEK_CUR);
    if (at < 0 || ftruncate(object->Fd(), at) != 0) {
        SetLastError(ErrorOf(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR fileName) {
    if (!fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string path = WideToUtf8(fileName);
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) {
        SetLastError(ErrorOf(errno));
        return FALSE;
    }
    return TRUE;
}

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = WideToUtf8(pattern);
    auto slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat st {};
    bool found = false;
    if (last.find_first_of("*?") == std::string::npos) {
        found = !last.empty() && stat(path.c_str(), &st) == 0;
    } else if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (fnmatch(last.c_str(), entry->d_name, FNM_PERIOD) == 0 &&
                stat((folder + "/" + entry->d_name).c_str(), &st) == 0) {
                last = entry->d_name;
                found = true;
                break;
            }
        }
        closedir(dir);
    }
    if (!found) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    Describe(last, st, data);
    return CHandleTable::Instance().Add(std::make_shared<CFindObject>());
}

BOOL FindClose(HANDLE find) {
    if (!std::dynamic_pointer_cast<CFindObject>(CHandleTable::Instance().Find(find))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    CHandleTable::Instance().Remove(find);
    return TRUE;
}
