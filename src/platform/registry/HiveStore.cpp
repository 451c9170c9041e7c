#include "platform/registry/HiveStore.h"

#include <cerrno>
#include <ctime>
#include <map>
#include <mutex>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "platform/registry/HiveText.h"
#include "platform/text/Utf.h"

namespace fs = std::filesystem;

namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Closes now; answers the errno of close, or 0.
    int Reset() {
        int err = 0;
        if (m_fd >= 0 && close(m_fd) != 0) {
            err = errno;
        }
        m_fd = -1;
        return err;
    }

private:
    int m_fd;
};

// Holds an exclusive flock on "<hive>.lock" for as long as it lives.
class HiveLock {
public:
    explicit HiveLock(const fs::path& lockPath)
        : m_fd(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (!m_fd.Valid()) {
            m_error = ErrorFromErrno(errno);
            return;
        }
        while (flock(m_fd.Get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = ErrorFromErrno(errno);
                return;
            }
        }
    }
    // Closing the descriptor releases the lock.
    DWORD Error() const { return m_error; }

private:
    UniqueFd m_fd;
    DWORD m_error = ERROR_SUCCESS;
};

struct FileIdentity {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    long long ctimeNs = 0;

    static FileIdentity Of(const struct stat& st) {
        return {true,
                st.st_dev,
                st.st_ino,
                st.st_size,
                st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec,
                st.st_ctim.tv_sec * 1000000000LL + st.st_ctim.tv_nsec};
    }
    bool operator==(const FileIdentity&) const = default;
};

struct CachedHive {
    bool valid = false;
    FileIdentity identity;
    HiveKey root;
};

struct LoadedHive {
    FileIdentity identity;
    HiveParseResult parsed;
};

std::mutex g_mutex;
std::map<std::string, CachedHive> g_cache;
std::function<void(HiveSaveStage)> g_hook;

DWORD StatIdentity(const fs::path& path, FileIdentity& identity) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        identity = FileIdentity::Of(st);
        return ERROR_SUCCESS;
    }
    if (errno == ENOENT) {
        identity = FileIdentity{};
        return ERROR_SUCCESS;
    }
    return ErrorFromErrno(errno);
}

// A hive of settings is a few kilobytes; one past this is no hive we wrote.
constexpr off_t kMaxHiveSize = 16 << 20;

// Reads and parses the hive file; a missing file is an empty hive. Anything
// but a regular file of bearable size (a FIFO, a device, a link to one, a
// huge file) is read as an empty, damaged hive, so that the first write keeps
// it aside. O_NONBLOCK keeps a FIFO without a writer from holding the open.
DWORD LoadHiveFile(HiveId hive, const fs::path& path, LoadedHive& out) {
    out = LoadedHive{};
    out.parsed.root = HiveKey(HiveName(hive));
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid()) {
        return errno == ENOENT ? ERROR_SUCCESS : ErrorFromErrno(errno);
    }
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0) {
        return ErrorFromErrno(errno);
    }
    out.identity = FileIdentity::Of(st);
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxHiveSize) {
        out.parsed.damaged = true;
        return ERROR_SUCCESS;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(st.st_size));
    char buf[16384];
    while (true) {
        const ssize_t n = read(fd.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ErrorFromErrno(errno);
        }
        if (n == 0) {
            break;
        }
        text.append(buf, static_cast<std::size_t>(n));
        if (text.size() > static_cast<std::size_t>(kMaxHiveSize)) {
            // Grew past the bound while read.
            out.parsed.damaged = true;
            return ERROR_SUCCESS;
        }
    }
    out.parsed = ParseHive(text, HiveName(hive));
    return ERROR_SUCCESS;
}

DWORD EnsureFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) {
        return ERROR_SUCCESS;
    }
    fs::create_directories(folder.parent_path(), ec);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return ErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

void RunHook(HiveSaveStage stage) {
    if (g_hook) {
        g_hook(stage);
    }
}

// Temporary files are made only under the lock, so any found while holding it
// were left by a writer that died.
void RemoveStaleTemporaries(const fs::path& path) {
    const std::string prefix = path.filename().string() + ".tmp-";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(path.parent_path(), ec)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            fs::remove(entry.path(), ec);
        }
    }
}

// Keeps a damaged hive beside the one about to replace it.
DWORD KeepDamaged(const fs::path& path) {
    const std::string base = path.string() + ".damaged-" + std::to_string(std::time(nullptr)) +
                             "-" + std::to_string(getpid());
    for (int i = 0; i < 100; ++i) {
        const std::string name = i == 0 ? base : base + "-" + std::to_string(i);
        if (link(path.c_str(), name.c_str()) == 0) {
            return ERROR_SUCCESS;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return ERROR_BADDB;
}

DWORD SaveAtomically(const fs::path& path, std::string_view text) {
    const DWORD rc =
        ReplaceFileAtomically(path, {reinterpret_cast<const BYTE*>(text.data()), text.size()}, 0600,
                              [] { RunHook(HiveSaveStage::TempWritten); });
    if (rc == ERROR_SUCCESS) {
        RunHook(HiveSaveStage::Renamed);
    }
    return rc;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/') {
        return home;
    }
    struct passwd pw {};
    struct passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir) {
        return found->pw_dir;
    }
    return "/";
}

}  // namespace

const wchar_t* HiveName(HiveId hive) {
    return hive == HiveId::CurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
}

fs::path HiveFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const fs::path base =
        (config && *config == '/') ? fs::path(config) : fs::path(HomeFolder()) / ".config";
    return base / "vkcert";
}

fs::path HivePath(HiveId hive) {
    return HiveFolder() / (WideToUtf8(HiveName(hive)) + ".reg");
}

DWORD ReadHive(HiveId hive, const std::function<DWORD(const HiveKey& root)>& read) {
    std::lock_guard lock(g_mutex);
    const fs::path path = HivePath(hive);
    FileIdentity now;
    if (const DWORD rc = StatIdentity(path, now); rc != ERROR_SUCCESS) {
        return rc;
    }
    CachedHive& cached = g_cache[path.string()];
    if (!cached.valid || !(cached.identity == now)) {
        cached.valid = false;
        LoadedHive loaded;
        if (const DWORD rc = LoadHiveFile(hive, path, loaded); rc != ERROR_SUCCESS) {
            return rc;
        }
        cached = CachedHive{true, loaded.identity, std::move(loaded.parsed.root)};
    }
    return read(cached.root);
}

DWORD ModifyHive(HiveId hive, const std::function<DWORD(HiveKey& root, bool& changed)>& change) {
    std::lock_guard lock(g_mutex);
    const fs::path path = HivePath(hive);
    if (const DWORD rc = EnsureFolder(path.parent_path()); rc != ERROR_SUCCESS) {
        return rc;
    }
    HiveLock fileLock(fs::path(path.string() + ".lock"));
    if (fileLock.Error() != ERROR_SUCCESS) {
        return fileLock.Error();
    }
    RemoveStaleTemporaries(path);
    LoadedHive loaded;
    if (const DWORD rc = LoadHiveFile(hive, path, loaded); rc != ERROR_SUCCESS) {
        return rc;
    }
    CachedHive& cached = g_cache[path.string()];
    bool changed = false;
    const DWORD rc = change(loaded.parsed.root, changed);
    cached.valid = false;
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    if (!changed) {
        cached = CachedHive{true, loaded.identity, std::move(loaded.parsed.root)};
        return ERROR_SUCCESS;
    }
    if (loaded.parsed.damaged && loaded.identity.exists) {
        if (const DWORD kept = KeepDamaged(path); kept != ERROR_SUCCESS) {
            return kept;
        }
    }
    if (const DWORD saved = SaveAtomically(path, SerializeHive(loaded.parsed.root, HiveName(hive)));
        saved != ERROR_SUCCESS) {
        return saved;
    }
    FileIdentity now;
    if (StatIdentity(path, now) == ERROR_SUCCESS && now.exists) {
        cached = CachedHive{true, now, std::move(loaded.parsed.root)};
    }
    return ERROR_SUCCESS;
}

void SetHiveSaveHook(std::function<void(HiveSaveStage)> hook) {
    std::lock_guard lock(g_mutex);
    g_hook = std::move(hook);
}
