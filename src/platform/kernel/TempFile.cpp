#include "platform/kernel/TempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"

CTempFile::~CTempFile() {
    Reset();
}

CTempFile::CTempFile(CTempFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_path(std::move(other.m_path)),
      m_created(std::exchange(other.m_created, false)),
      m_keep(other.m_keep) {}

CTempFile& CTempFile::operator=(CTempFile&& other) noexcept {
    if (this != &other) {
        Reset();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_created = std::exchange(other.m_created, false);
        m_keep = other.m_keep;
    }
    return *this;
}

void CTempFile::Reset() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (m_created && !m_keep) {
        unlink(WideToUtf8(m_path).c_str());
    }
    m_created = false;
    m_keep = false;
    m_path.clear();
}

bool CTempFile::Create(const std::wstring& path) {
    Reset();
    int fd;
    do {
        fd = open(WideToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                  0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno));
        return false;
    }
    // The umask may have taken bits away, never added any; make the mode exact.
    fchmod(fd, 0600);
    m_fd = fd;
    m_path = path;
    m_created = true;
    return true;
}

bool CTempFile::Write(const void* data, std::size_t size) {
    if (m_fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    auto p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = write(m_fd, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetLastError(ErrorFromErrno(errno));
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool CTempFile::Close() {
    if (m_fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    bool ok = fsync(m_fd) == 0;
    int err = errno;
    if (close(m_fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    m_fd = -1;
    if (!ok) {
        SetLastError(ErrorFromErrno(err));
    }
    return ok;
}
