// Replacing a file atomically: the new content with the exact mode asked for, the old file
// for readers until the rename, and after a failure the old file and no temporary.
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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

}  // namespace

TEST(AtomicFile, ReplacesTheContentWithTheExactMode) {
    vktest::TempWorld world;
    const fs::path file = world.Root() / "settings";
    std::ofstream(file) << "old";
    const mode_t mask = umask(077);
    bool oldUntilRename = false;
    const DWORD rc = Replace(file, "new", 0644, [&] {
        oldUntilRename = Contents(file) == "old" && Temporaries(world.Root()) == 1;
    });
    umask(mask);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_TRUE(oldUntilRename);
    EXPECT_EQ(Contents(file), "new");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u) << "the umask takes nothing away";
    EXPECT_EQ(Temporaries(world.Root()), 0);
}

// Failures that root cannot get round: a file size limit and a rename over a folder.
TEST(AtomicFile, FailureLeavesTheOldFileAndNoTemporary) {
    vktest::TempWorld world;
    const fs::path file = world.Root() / "hive";
    std::ofstream(file) << "old";
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);  // write fails with EFBIG instead
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const DWORD rc = Replace(file, std::string(4096, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_NE(rc, ERROR_SUCCESS);
    EXPECT_EQ(Contents(file), "old");
    EXPECT_EQ(Temporaries(world.Root()), 0);

    const fs::path folder = world.Root() / "folder";
    fs::create_directories(folder / "inside");
    bool reachedRename = false;
    EXPECT_NE(Replace(folder, "data", 0600, [&] { reachedRename = true; }), ERROR_SUCCESS);
    EXPECT_TRUE(reachedRename && fs::is_directory(folder / "inside"));
    EXPECT_EQ(Temporaries(world.Root()), 0);
}
