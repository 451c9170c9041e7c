// File calls: creation dispositions and what they report, reading and writing back, cutting
// at the current position, presence tests with FindFirstFileW, deletion, stale handles.
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

std::wstring Wide(const fs::path& p) {
    return Utf8ToWide(p.string());
}

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

HANDLE Open(const fs::path& path, DWORD access, DWORD disposition) {
    return CreateFileW(Wide(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(HANDLE h, const std::string& text) {
    DWORD written = 0;
    return WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

class FilesTest : public testing::Test {
protected:
    vktest::TempWorld world;
    fs::path Path(const std::string& name) const { return world.Root() / name; }
};

TEST_F(FilesTest, DispositionsCreateTruncateAndReportExistingFiles) {
    HANDLE h = Open(Path("a.cer"), GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_TRUE(WriteAll(h, "long old contents"));
    EXPECT_TRUE(CloseHandle(h));

    // CREATE_NEW never takes an existing name and leaves its data alone.
    EXPECT_EQ(Open(Path("a.cer"), GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(Contents(Path("a.cer")), "long old contents");

    // CREATE_ALWAYS replaces the data and tells that the file was there.
    h = Open(Path("a.cer"), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(WriteAll(h, "new"));
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(Contents(Path("a.cer")), "new");

    // OPEN_ALWAYS keeps the data; writing over the start and cutting there shortens it.
    std::ofstream(Path("b.cer")) << "abcdef";
    h = Open(Path("b.cer"), GENERIC_WRITE, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(WriteAll(h, "XY"));
    EXPECT_EQ(Contents(Path("b.cer")), "XYcdef");
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(Contents(Path("b.cer")), "XY");
    CloseHandle(h);

    EXPECT_EQ(Open(Path("missing"), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(world.Root(), GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FilesTest, CreateNewDoesNotFollowASymbolicLink) {
    fs::create_symlink(Path("target"), Path("link.chm"));
    EXPECT_EQ(Open(Path("link.chm"), GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_FALSE(fs::exists(Path("target")));
}

TEST_F(FilesTest, ReadsBackWhatWasWrittenWithItsSize) {
    std::string data(70000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<char>(i * 7);
    }
    HANDLE h = Open(Path("data.bin"), GENERIC_WRITE, CREATE_NEW);
    ASSERT_TRUE(WriteAll(h, data));
    CloseHandle(h);

    h = Open(Path("data.bin"), GENERIC_READ, OPEN_EXISTING);
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
    EXPECT_EQ(total, data.size());
    back.resize(total);
    EXPECT_EQ(back, data);
    // A read-only handle refuses writes.
    EXPECT_FALSE(WriteAll(h, "x"));
    EXPECT_TRUE(CloseHandle(h));
    // The handle is closed now.
    EXPECT_FALSE(ReadFile(h, back.data(), 1, &read, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
}

TEST_F(FilesTest, FindFirstFileTellsPresenceAndDeleteFileRemoves) {
    std::ofstream(Path("0001ABCD.chm")) << "help";
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(Wide(Path("0001ABCD.chm")).c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(data.cFileName), L"0001ABCD.chm");
    EXPECT_EQ(data.nFileSizeLow, 4u);
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));

    find = FindFirstFileW(Wide(Path("*.chm")).c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(data.cFileName), L"0001ABCD.chm");
    FindClose(find);

    EXPECT_TRUE(DeleteFileW(Wide(Path("0001ABCD.chm")).c_str()));
    EXPECT_EQ(FindFirstFileW(Wide(Path("0001ABCD.chm")).c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(Wide(Path("*.chm")).c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileW(Wide(Path("0001ABCD.chm")).c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(DeleteFileW(Wide(world.Root()).c_str()));
    EXPECT_TRUE(fs::exists(world.Root()));
}
