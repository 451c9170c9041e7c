// Unique identifiers, the temporary folder, exclusive temporary files, the tick count and
// memory from the system.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/TempFile.h"
#include "platform/kernel/TempPath.h"
#include "platform/kernel/Uuid.h"
#include "platform/kernel/VirtualMemory.h"
#include "platform/text/Utf.h"
#include "support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

std::string UuidText() {
    UUID uuid{};
    EXPECT_EQ(UuidCreate(&uuid), RPC_S_OK);
    RPC_WSTR text = nullptr;
    EXPECT_EQ(UuidToStringW(&uuid, &text), RPC_S_OK);
    std::string narrow = WideToUtf8(text);
    EXPECT_EQ(RpcStringFreeW(&text), RPC_S_OK);
    EXPECT_EQ(text, nullptr);
    return narrow;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(Uuid, TextIsVersion4InLowerCaseGroupsAndNeverRepeats) {
    const std::regex form("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        std::string text = UuidText();
        ASSERT_EQ(text.size(), 36u);
        ASSERT_TRUE(std::regex_match(text, form)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 2000u);
}

TEST(Uuid, TextFollowsTheFieldsInOrder) {
    UUID uuid{0x0123ABCD, 0x4567, 0x89EF, {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}};
    RPC_WSTR text = nullptr;
    ASSERT_EQ(UuidToStringW(&uuid, &text), RPC_S_OK);
    EXPECT_EQ(std::wstring(text), L"0123abcd-4567-89ef-fedc-ba9876543210");
    RpcStringFreeW(&text);
}

TEST(TempPath, FollowsTmpdirWithATrailingSlashAndReportsShortBuffers) {
    vktest::TempWorld world;
    const char* tmpdir = std::getenv("TMPDIR");
    ASSERT_NE(tmpdir, nullptr);
    std::wstring expected = Utf8ToWide(tmpdir);
    if (expected.back() != L'/') {
        expected += L'/';
    }
    wchar_t buffer[300];
    DWORD n = GetTempPathW(300, buffer);
    EXPECT_EQ(std::wstring(buffer, n), expected);
    EXPECT_EQ(buffer[n], L'\0');

    // One character short of the terminator: the size needed, nothing written.
    wchar_t small[300];
    small[0] = L'#';
    EXPECT_EQ(GetTempPathW(n, small), n + 1);
    EXPECT_EQ(small[0], L'#');

    std::string saved = tmpdir;
    unsetenv("TMPDIR");
    n = GetTempPathW(300, buffer);
    setenv("TMPDIR", saved.c_str(), 1);
    EXPECT_EQ(std::wstring(buffer, n), L"/tmp/");
}

TEST(TempFile, CreatesOnlyNewFilesPrivateToTheUser) {
    vktest::TempWorld world;
    fs::path path = world.Root() / "0000ABCD.chm";
    {
        CTempFile file;
        ASSERT_TRUE(file.Create(Utf8ToWide(path.string())));
        ASSERT_TRUE(file.Write("help", 4));
        ASSERT_TRUE(file.Close());
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(ReadFile(path), "help");

        // The name is taken now: a second creation fails and leaves the data alone.
        CTempFile second;
        EXPECT_FALSE(second.Create(Utf8ToWide(path.string())));
        EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
        EXPECT_FALSE(second.IsOpen());
    }
    // Destroyed without Keep: the file is gone, and the failed second object took nothing.
    EXPECT_FALSE(fs::exists(path));

    // A file that was there before is never taken over, nor removed.
    std::ofstream(path) << "someone else's";
    {
        CTempFile file;
        EXPECT_FALSE(file.Create(Utf8ToWide(path.string())));
    }
    EXPECT_EQ(ReadFile(path), "someone else's");
}

TEST(TempFile, DoesNotFollowASymbolicLinkPlantedUnderTheName) {
    vktest::TempWorld world;
    fs::path target = world.Root() / "elsewhere";
    fs::path link = world.Root() / "00001234.chm";
    fs::create_symlink(target, link);
    CTempFile file;
    EXPECT_FALSE(file.Create(Utf8ToWide(link.string())));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_FALSE(fs::exists(target));
}

TEST(TempFile, KeptFilesStayAndMovedObjectsOwnTheFile) {
    vktest::TempWorld world;
    fs::path kept = world.Root() / "kept";
    fs::path moved = world.Root() / "moved";
    {
        CTempFile file;
        ASSERT_TRUE(file.Create(Utf8ToWide(kept.string())));
        file.Keep();
    }
    EXPECT_TRUE(fs::exists(kept));
    {
        CTempFile outer;
        {
            CTempFile inner;
            ASSERT_TRUE(inner.Create(Utf8ToWide(moved.string())));
            outer = std::move(inner);
        }
        EXPECT_TRUE(fs::exists(moved));
        EXPECT_TRUE(outer.Write("x", 1));
    }
    EXPECT_FALSE(fs::exists(moved));
}

TEST(TickCount, AdvancesInMilliseconds) {
    DWORD before = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 55u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(VirtualMemory, GivesZeroedWritableMemoryAndFreesOnlyWholeAllocations) {
    const std::size_t size = std::size_t{5} << 20;
    auto* p = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[size / 2], 0);
    EXPECT_EQ(p[size - 1], 0);
    p[size - 1] = 7;
    EXPECT_FALSE(VirtualFree(p + 4096, 0, MEM_RELEASE));  // not the start of an allocation
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
    EXPECT_FALSE(VirtualFree(p, 0, MEM_RELEASE));  // freed twice
    EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE), nullptr);
}
