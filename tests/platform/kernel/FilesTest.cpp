// File calls: creation dispositions and what they report, symbolic links, reading and writing
// back, cutting at the current position, presence tests with FindFirstFileW, deletion and
// stale handles. Temporary files are in KernelTest.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Handles.h"
#include "platform/text/Utf.h"
#include "support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
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

}  // namespace

TEST_F(FilesTest, DispositionsCreateTruncateAndReportExistingFiles) {
    HANDLE h = Open("a.cer", GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(WriteAll(h, "long old contents"));
    EXPECT_TRUE(CloseHandle(h));

    // CREATE_NEW never takes an existing name, nor follows a link, and leaves the data alone.
    fs::create_symlink(Path("target"), Path("link.chm"));
    for (const char* name : {"a.cer", "link.chm"}) {
        EXPECT_EQ(Open(name, GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    }
    EXPECT_EQ(Contents(Path("a.cer")), "long old contents");
    EXPECT_FALSE(fs::exists(Path("target")));

    // CREATE_ALWAYS replaces the data and tells that the file was there.
    h = Open("a.cer", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(WriteAll(h, "new"));
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(Contents(Path("a.cer")), "new");

    // OPEN_ALWAYS keeps the data; writing over the start and cutting there shortens it.
    std::ofstream(Path("b.cer")) << "abcdef";
    h = Open("b.cer", GENERIC_WRITE, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(WriteAll(h, "XY"));
    EXPECT_EQ(Contents(Path("b.cer")), "XYcdef");
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(Contents(Path("b.cer")), "XY");
    CloseHandle(h);

    EXPECT_EQ(Open("missing", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << "a folder";
}

TEST_F(FilesTest, ReadsBackWhatWasWrittenWithItsSize) {
    std::string data(70000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    HANDLE h = Open("data.bin", GENERIC_WRITE, CREATE_NEW);
    ASSERT_TRUE(WriteAll(h, data));
    CloseHandle(h);

    h = Open("data.bin", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD high = 1;
    EXPECT_EQ(GetFileSize(h, &high), data.size());
    EXPECT_EQ(high, 0u);
    std::string back(data.size() + 10, '\0');
    DWORD total = 0;
    DWORD read = 0;
    while (
        ReadFile(h, back.data() + total, static_cast<DWORD>(back.size() - total), &read, nullptr) &&
        read > 0) {
        total += read;
    }
    back.resize(total);
    EXPECT_EQ(back, data);
    EXPECT_FALSE(WriteAll(h, "x")) << "a read-only handle";
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(ReadFile(h, back.data(), 1, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
}

TEST_F(FilesTest, FindFirstFileTellsPresenceAndDeleteFileRemoves) {
    std::ofstream(Path("0001ABCD.chm")) << "help";
    WIN32_FIND_DATAW data{};
    for (const char* pattern : {"0001ABCD.chm", "*.chm"}) {
        HANDLE find = FindFirstFileW(Wide(pattern).c_str(), &data);
        ASSERT_NE(find, INVALID_HANDLE_VALUE) << pattern;
        EXPECT_EQ(std::wstring(data.cFileName), L"0001ABCD.chm");
        EXPECT_EQ(data.nFileSizeLow, 4u);
        EXPECT_TRUE(FindClose(find));
        EXPECT_FALSE(FindClose(find));
    }
    EXPECT_TRUE(DeleteFileW(Wide("0001ABCD.chm").c_str()));
    for (const char* pattern : {"0001ABCD.chm", "*.chm"}) {
        EXPECT_EQ(FindFirstFileW(Wide(pattern).c_str(), &data), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND) << pattern;
    }
    EXPECT_FALSE(DeleteFileW(Wide("0001ABCD.chm").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileW(Wide("").c_str()));
    EXPECT_TRUE(fs::exists(world.Root()));
}
