#include "platform/kernel/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace {

// The temporary file until it takes the target's place: closed, and removed unless it
// became the target.
class PendingFile {
public:
    PendingFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PendingFile() {
        Close();
        if (!m_path.empty()) {
            unlink(m_path.c_str());
        }
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int Fd() const { return m_fd; }
    // Closes now; answers the errno of close, or 0.
    int Close() {
        const int err = m_fd >= 0 && close(m_fd) != 0 ? errno : 0;
        m_fd = -1;
        return err;
    }
    void Renamed() { m_path.clear(); }

private:
    int m_fd;
    std::string m_path;
};

DWORD WriteAll(int fd, std::span<const std::uint8_t> data) {
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ErrorFromErrno(errno);
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return ERROR_SUCCESS;
}

}  // namespace

DWORD ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                            mode_t mode, const std::function<void()>& beforeRename) {
    std::string temp = path.string() + ".tmp-XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return ErrorFromErrno(errno);
    }
    PendingFile pending(fd, temp);
    DWORD rc = fchmod(fd, mode) == 0 ? WriteAll(fd, data) : ErrorFromErrno(errno);
    if (rc == ERROR_SUCCESS && fsync(fd) != 0) {
        rc = ErrorFromErrno(errno);
    }
    if (const int err = pending.Close(); rc == ERROR_SUCCESS && err != 0) {
        rc = ErrorFromErrno(err);
    }
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (beforeRename) {
        beforeRename();
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        return ErrorFromErrno(errno);
    }
    pending.Renamed();
    // The new content is in place already; a folder that cannot be flushed (some file
    // systems refuse) does not undo the write, so its failure is not reported.
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return ERROR_SUCCESS;
}
