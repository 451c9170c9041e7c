// Unique identifiers, the temporary folder and files, memory from the system, files replaced
// atomically, and the file calls. Mutexes are in NamedMutexTest.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/TempFile.h"
#include "platform/kernel/TempPath.h"
#include "platform/kernel/Uuid.h"
#include "platform/kernel/VirtualMemory.h"
#include "platform/text/Utf.h"
#include "support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteAll(HANDLE h, const std::string& text) {
    DWORD written = 0;
    return WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

class FilesTest : public testing::Test {
protected:
    vktest::TempWorld world;
    fs::path Path(const std::string& name) const { return world.Root() / name; }
    std::wstring Wide(const std::string& name) const { return Utf8ToWide(Path(name).string()); }
    HANDLE Open(const std::string& name, DWORD access, DWORD disposition) const {
        return CreateFileW(Wide(name).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

DWORD Replace(const fs::path& path, const std::string& text, mode_t mode = 0600,
              const std::function<void()>& beforeRename = {}) {
    return ReplaceFileAtomically(path,
                                 {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                                 mode, beforeRename);
}

long Temporaries(const fs::path& folder) {
    return std::count_if(fs::directory_iterator(folder), {}, [](const fs::directory_entry& e) {
        return e.path().filename().string().find(".tmp-") != std::string::npos;
    });
}

}  // namespace

TEST(SystemCalls, UuidsAndVirtualMemory) {
    const std::wregex form(L"[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    std::set<std::wstring> seen;
    for (int i = 0; i < 2000; ++i) {
        UUID uuid{};
        RPC_WSTR text = nullptr;
        ASSERT_TRUE(UuidCreate(&uuid) == RPC_S_OK && UuidToStringW(&uuid, &text) == RPC_S_OK);
        ASSERT_TRUE(std::regex_match(*seen.insert(text).first, form));
        ASSERT_TRUE(RpcStringFreeW(&text) == RPC_S_OK && text == nullptr);
    }
    EXPECT_EQ(seen.size(), 2000u);

    // Virtual memory comes zeroed and writable and is freed only whole.
    const std::size_t size = std::size_t{5} << 20;
    auto* p = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0] | p[size / 2] | p[size - 1], 0);
    p[size - 1] = 7;
    EXPECT_FALSE(VirtualFree(p + 4096, 0, MEM_RELEASE));  // not the start of an allocation
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
    EXPECT_FALSE(VirtualFree(p, 0, MEM_RELEASE));  // freed twice
}

TEST_F(FilesTest, FileCallsAtomicReplacementAndTemporaryFiles) {
    HANDLE h = Open("a.cer", GENERIC_WRITE, CREATE_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(WriteAll(h, "long old contents") && CloseHandle(h));

    // CREATE_NEW never takes an existing name, nor follows a link, and leaves the data alone.
    fs::create_symlink(Path("target"), Path("link.chm"));
    for (const char* name : {"a.cer", "link.chm"}) {
        EXPECT_EQ(Open(name, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    }
    EXPECT_EQ(ReadFile(Path("a.cer")), "long old contents");
    EXPECT_FALSE(fs::exists(Path("target")));

    // CREATE_ALWAYS drops the data, OPEN_ALWAYS keeps it; cutting at the write shortens it.
    std::ofstream(Path("b.cer")) << "abcdef";
    for (const auto& [name, disposition, written] :
         {std::tuple{"a.cer", DWORD{CREATE_ALWAYS}, "XY"}, {"b.cer", OPEN_ALWAYS, "XYcdef"}}) {
        h = Open(name, GENERIC_WRITE, disposition);
        EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS) << name;
        EXPECT_TRUE(WriteAll(h, "XY"));
        EXPECT_EQ(ReadFile(Path(name)), written);
        EXPECT_TRUE(SetEndOfFile(h) && CloseHandle(h));
        EXPECT_EQ(ReadFile(Path(name)), "XY");
    }
    EXPECT_EQ(Open("missing", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << "a folder";

    // What was written reads back and is deleted once.
    const std::string data(70000, 'd');
    h = Open("data.bin", GENERIC_WRITE, CREATE_NEW);
    ASSERT_TRUE(WriteAll(h, data) && CloseHandle(h));
    h = Open("data.bin", GENERIC_READ, OPEN_EXISTING);
    std::string back(data.size() + 10, '\0');
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(h, back.data(), static_cast<DWORD>(back.size()), &read, nullptr));
    EXPECT_EQ(back.substr(0, read), data);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_TRUE(DeleteFileW(Wide("data.bin").c_str()));
    EXPECT_FALSE(DeleteFileW(Wide("data.bin").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    // Atomic replacement keeps the exact mode; after a failure the old file and no temporary.
    const fs::path file = Path("settings");
    std::ofstream(file) << "old";
    const mode_t mask = umask(077);
    bool oldUntilRename = false;
    const DWORD rc = Replace(file, "new", 0644, [&] {
        oldUntilRename = ReadFile(file) == "old" && Temporaries(world.Root()) == 1;
    });
    umask(mask);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_TRUE(oldUntilRename);
    EXPECT_EQ(ReadFile(file), "new");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u) << "the umask takes nothing away";

    // Failures that root cannot get round: a file size limit and a rename over a folder.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limited{4, saved.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);  // write fails with EFBIG instead
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const DWORD failed = Replace(file, std::string(4096, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_NE(failed, ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(Temporaries(world.Root()), 0);

    const fs::path folder = world.Root() / "folder";
    fs::create_directories(folder / "inside");
    bool reachedRename = false;
    EXPECT_NE(Replace(folder, "data", 0600, [&] { reachedRename = true; }), ERROR_SUCCESS);
    EXPECT_TRUE(reachedRename && fs::is_directory(folder / "inside"));
    EXPECT_EQ(Temporaries(world.Root()), 0);

    // The temporary folder follows TMPDIR, or is /tmp.
    const std::string tmpdir = std::getenv("TMPDIR");
    wchar_t buffer[300];
    DWORD n = GetTempPathW(300, buffer);
    EXPECT_EQ(std::wstring(buffer, n + 1),
              Utf8ToWide(tmpdir + (tmpdir.back() == '/' ? "" : "/")) + L'\0');
    unsetenv("TMPDIR");
    n = GetTempPathW(300, buffer);
    setenv("TMPDIR", tmpdir.c_str(), 1);
    EXPECT_EQ(std::wstring(buffer, n), L"/tmp/");

    // Temporary files are only new private ones, gone with their object unless kept.
    const fs::path path = world.Root() / "0000ABCD.chm";
    const fs::path kept = world.Root() / "kept";
    const fs::path link = world.Root() / "00001234.chm";
    {
        CTempFile file;
        ASSERT_TRUE(file.Create(Utf8ToWide(path.string())));
        ASSERT_TRUE(file.Write("help", 4) && file.Close());
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);

        // The name is taken now, and so is a symbolic link's: creation fails and follows nothing.
        fs::create_symlink(world.Root() / "elsewhere", link);
        for (const fs::path& taken : {path, link}) {
            CTempFile second;
            EXPECT_FALSE(second.Create(Utf8ToWide(taken.string())));
            EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
            EXPECT_FALSE(second.IsOpen());
        }
        EXPECT_FALSE(fs::exists(world.Root() / "elsewhere"));
        EXPECT_EQ(ReadFile(path), "help") << "the failed creation left the file alone";

        CTempFile keep;
        ASSERT_TRUE(keep.Create(Utf8ToWide(kept.string())));
        keep.Keep();
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_TRUE(fs::is_symlink(link)) << "the failed objects took nothing";
}
