#include "platform/kernel/NamedMutex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/sha.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>

#include "platform/kernel/Handles.h"
#include "platform/text/Hex.h"
#include "platform/text/Utf.h"

namespace {

constexpr off_t kExistenceByte = 0;
constexpr off_t kOwnershipByte = 1;
constexpr std::size_t kLongestEscapedName = 200;

bool LockByte(int fd, short type, off_t at, bool wait) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = at;
    fl.l_len = 1;
    for (;;) {
        if (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

bool IsBusy(int err) {
    return err == EAGAIN || err == EACCES;
}

int OpenLockFile(const std::string& path) {
    int fd;
    do {
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

BYTE ReadMark(int fd) {
    BYTE b = 0;
    return pread(fd, &b, 1, kOwnershipByte) == 1 ? b : 0;
}

void WriteMark(int fd, BYTE b) {
    // Best effort: a mark that cannot be written only loses the "abandoned" report.
    [[maybe_unused]] ssize_t n = pwrite(fd, &b, 1, kOwnershipByte);
}

// A folder of the user's own, not reachable by others, created when missing.
bool EnsurePrivateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

}  // namespace

// The open names of this process, one object per lock file, kept while handles are open.
class CNamedMutexRegistry {
public:
    static CNamedMutexRegistry& Instance() {
        static CNamedMutexRegistry registry;
        return registry;
    }

    std::shared_ptr<CNamedMutex> Open(const std::string& path, bool create, bool initialOwner,
                                      bool* existed) {
        std::lock_guard lock(m_mutex);
        auto it = m_open.find(path);
        if (it != m_open.end()) {
            ++it->second->m_handles;
            *existed = true;
            return it->second;
        }
        int existence = OpenLockFile(path);
        if (existence < 0) {
            SetLastError(ErrorFromErrno(errno));
            return nullptr;
        }
        *existed = !LockByte(existence, F_WRLCK, kExistenceByte, false);
        if (*existed && !IsBusy(errno)) {
            SetLastError(ErrorFromErrno(errno));
            close(existence);
            return nullptr;
        }
        if (!*existed && !create) {
            close(existence);
            SetLastError(ERROR_FILE_NOT_FOUND);
            return nullptr;
        }
        int ownership = OpenLockFile(path);
        if (ownership < 0) {
            SetLastError(ErrorFromErrno(errno));
            close(existence);
            return nullptr;
        }
        std::shared_ptr<CNamedMutex> mutex(new CNamedMutex(path, existence, ownership));
        if (!*existed) {
            // No live process has the name: a mark left by a dead owner belongs to a
            // mutex that is gone. Ownership is taken before others can open the name.
            WriteMark(ownership, 0);
            if (initialOwner) {
                mutex->Wait(INFINITE);
            }
        }
        // Converting the exclusive lock to a shared one is atomic; a name that existed
        // may still be held exclusively by its creator for a moment, so wait for that.
        if (!LockByte(existence, F_RDLCK, kExistenceByte, *existed)) {
            SetLastError(ErrorFromErrno(errno));
            return nullptr;
        }
        mutex->m_handles = 1;
        m_open.emplace(path, mutex);
        return mutex;
    }

    void HandleClosed(CNamedMutex& mutex) {
        std::lock_guard lock(m_mutex);
        if (--mutex.m_handles > 0) {
            return;
        }
        {
            // Without handles nobody can release it: ownership goes with the last one.
            std::lock_guard state(mutex.m_mutex);
            mutex.m_closed = true;
            if (mutex.m_owner != std::thread::id()) {
                mutex.ReleaseFileLock();
                mutex.m_owner = {};
                mutex.m_recursion = 0;
                mutex.m_busy = false;
            }
        }
        mutex.m_changed.notify_all();
        // Under the registry lock, so that a new opening of the name in this process
        // cannot see this process's own existence lock.
        if (mutex.m_existenceFd >= 0) {
            close(mutex.m_existenceFd);
            mutex.m_existenceFd = -1;
        }
        m_open.erase(mutex.m_key);
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<CNamedMutex>> m_open;
};

CNamedMutex::CNamedMutex(std::string key, int existenceFd, int ownershipFd)
    : m_key(std::move(key)), m_existenceFd(existenceFd), m_ownershipFd(ownershipFd) {}

CNamedMutex::~CNamedMutex() {
    if (m_existenceFd >= 0) {
        close(m_existenceFd);
    }
    if (m_ownershipFd >= 0) {
        close(m_ownershipFd);
    }
}

std::shared_ptr<CNamedMutex> CNamedMutex::Open(const std::wstring& name, bool create,
                                               bool initialOwner, bool* existed) {
    *existed = false;
    if (name.empty()) {
        if (!create) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        std::shared_ptr<CNamedMutex> mutex(new CNamedMutex(std::string(), -1, -1));
        mutex->m_handles = 1;
        if (initialOwner) {
            mutex->Wait(INFINITE);
        }
        return mutex;
    }
    std::string folder = LockDirectory();
    if (folder.empty()) {
        return nullptr;
    }
    return CNamedMutexRegistry::Instance().Open(folder + "/" + LockFileName(name) + ".lock", create,
                                                initialOwner, existed);
}

std::string CNamedMutex::LockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string folder = std::string(runtime) + "/vkcert-mutexes";
        return EnsurePrivateFolder(folder) ? folder : std::string();
    }
    std::string folder = "/tmp/vkcert-" + std::to_string(geteuid());
    return EnsurePrivateFolder(folder) ? folder : std::string();
}

std::string CNamedMutex::LockFileName(const std::wstring& name) {
    std::string utf8 = WideToUtf8(name);
    std::string escaped;
    for (unsigned char c : utf8) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '{' || c == '}';
        if (plain) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            AppendHex(escaped, c, HexCase::Upper);
        }
    }
    if (escaped.size() <= kLongestEscapedName) {
        return escaped;
    }
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), digest);
    return "~" + HexText(digest, HexCase::Upper);
}

DWORD CNamedMutex::Wait(DWORD milliseconds) {
    using Clock = std::chrono::steady_clock;
    const bool forever = milliseconds == INFINITE;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    const auto self = std::this_thread::get_id();

    std::unique_lock lock(m_mutex);
    if (m_owner == self) {
        ++m_recursion;
        return WAIT_OBJECT_0;
    }
    auto free = [this] { return !m_busy || m_closed; };
    if (forever) {
        m_changed.wait(lock, free);
    } else if (!m_changed.wait_until(lock, deadline, free)) {
        return WAIT_TIMEOUT;
    }
    if (m_closed) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    m_busy = true;
    lock.unlock();

    DWORD result = WAIT_OBJECT_0;
    if (m_ownershipFd >= 0) {
        DWORD left = 0;
        if (!forever) {
            auto rest =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            left = rest.count() > 0 ? static_cast<DWORD>(rest.count()) : 0;
        }
        result = AcquireFileLock(forever ? INFINITE : left);
    }

    lock.lock();
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        if (m_closed) {
            // Every handle was closed during the wait.
            ReleaseFileLock();
            result = WAIT_FAILED;
            SetLastError(ERROR_INVALID_HANDLE);
        } else {
            m_owner = self;
            m_recursion = 1;
            return result;
        }
    }
    m_busy = false;
    lock.unlock();
    m_changed.notify_one();
    return result;
}

DWORD CNamedMutex::AcquireFileLock(DWORD milliseconds) {
    if (milliseconds == INFINITE) {
        if (!LockByte(m_ownershipFd, F_WRLCK, kOwnershipByte, true)) {
            SetLastError(ErrorFromErrno(errno));
            return WAIT_FAILED;
        }
    } else {
        // Timed waits poll: the kernel's lock wait takes no time limit.
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        auto pause = std::chrono::microseconds(500);
        while (!LockByte(m_ownershipFd, F_WRLCK, kOwnershipByte, false)) {
            if (!IsBusy(errno)) {
                SetLastError(ErrorFromErrno(errno));
                return WAIT_FAILED;
            }
            auto now = Clock::now();
            if (now >= deadline) {
                return WAIT_TIMEOUT;
            }
            std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
            pause = std::min(pause * 2, std::chrono::microseconds(10000));
        }
    }
    bool abandoned = ReadMark(m_ownershipFd) != 0;
    WriteMark(m_ownershipFd, 1);
    return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

void CNamedMutex::ReleaseFileLock() {
    if (m_ownershipFd >= 0) {
        WriteMark(m_ownershipFd, 0);
        LockByte(m_ownershipFd, F_UNLCK, kOwnershipByte, false);
    }
}

bool CNamedMutex::Release() {
    {
        std::lock_guard lock(m_mutex);
        if (m_owner != std::this_thread::get_id()) {
            SetLastError(ERROR_NOT_OWNER);
            return false;
        }
        if (--m_recursion > 0) {
            return true;
        }
        ReleaseFileLock();
        m_owner = {};
        m_busy = false;
    }
    m_changed.notify_one();
    return true;
}

void CNamedMutex::OnHandleClosed() {
    if (m_key.empty()) {
        std::lock_guard lock(m_mutex);
        if (--m_handles == 0) {
            m_closed = true;
        }
        m_changed.notify_all();
        return;
    }
    CNamedMutexRegistry::Instance().HandleClosed(*this);
}
