// Replacing a file atomically: the new content with the mode asked for, readers see the old
// file until the rename, and a failure at any step leaves the old file and no temporary.
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

DWORD Replace(const fs::path& path, const std::string& text, mode_t mode = 0600,
              const std::function<void()>& beforeRename = {}) {
    return ReplaceFileAtomically(path,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                                 mode, beforeRename);
}

int Temporaries(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        count += entry.path().filename().string().find(".tmp-") != std::string::npos;
    }
    return count;
}

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

// Files may grow to `bytes` only while it lives; SIGXFSZ is ignored so that write fails
// with EFBIG instead. Root is held to this limit too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

}  // namespace

TEST(AtomicFile, ReplacesTheContentWithTheModeAskedFor) {
    vktest::TempWorld world;
    const fs::path file = world.Root() / "settings";
    Write(file, "old content");
    const mode_t mask = umask(077);
    bool sawOld = false;
    const DWORD rc = Replace(file, "new", 0644, [&] {
        sawOld = Contents(file) == "old content" && Temporaries(world.Root()) == 1;
    });
    umask(mask);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_TRUE(sawOld) << "before the rename, readers see the old file beside one temporary";
    EXPECT_EQ(Contents(file), "new");
    EXPECT_EQ(ModeOf(file), 0644u) << "the mode is exact, whatever the umask";

    ASSERT_EQ(Replace(world.Root() / "secret", "key"), ERROR_SUCCESS);
    EXPECT_EQ(ModeOf(world.Root() / "secret"), 0600u);
    EXPECT_EQ(Temporaries(world.Root()), 0);
}

TEST(AtomicFile, FailureLeavesTheOldFileAndNoTemporary) {
    vktest::TempWorld world;
    const fs::path file = world.Root() / "hive";
    Write(file, "old");
    {
        // The write fails half way.
        FileSizeLimit limit(4);
        EXPECT_NE(Replace(file, std::string(4096, 'x')), ERROR_SUCCESS);
    }
    EXPECT_EQ(Contents(file), "old");
    EXPECT_EQ(Temporaries(world.Root()), 0);

    // The rename fails: a folder that is not empty cannot be replaced by a file.
    const fs::path folder = world.Root() / "folder";
    fs::create_directories(folder / "inside");
    bool reachedRename = false;
    EXPECT_NE(Replace(folder, "data", 0600, [&] { reachedRename = true; }), ERROR_SUCCESS);
    EXPECT_TRUE(reachedRename);
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    EXPECT_EQ(Temporaries(world.Root()), 0);

    // No temporary can be made where the parent is a file.
    EXPECT_EQ(Replace(file / "child", "data"), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Contents(file), "old");
}
