// The version stamp read back from program files: a built program's translation and strings,
// and every file that carries no stamp (missing, empty, text, a program without one, a
// directory, a pipe, damaged copies of a stamped program) raising the reader's error instead of
// crashing or waiting. What the About dialog makes of them is tested with the dialog.
#include <elf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "platform/version/CFileVersionInfo.h"
#include "support/TempWorld.h"

using SFileVersions::CFileVerExcpt;
using SFileVersions::CFileVersionInfo;
using SFileVersions::CTranslation;
using testing::MatchesRegex;

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

Bytes ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

// The error the reader raises for the file; 0 when it raises none.
DWORD ReadError(const fs::path& file) {
    try {
        CFileVersionInfo info(file);
        const auto translations = info.GetTranslations();
        (void)info.GetString(translations.empty() ? CTranslation{} : translations.front(),
                             L"FileVersion");
        return 0;
    } catch (const CFileVerExcpt& e) {
        EXPECT_EQ(e.Path(), file);
        return e.Code();
    }
}

// Where the stamp's note begins in a program's bytes: before its owner name and first key.
std::size_t NoteOffset(const Bytes& program) {
    static const char kStart[] = "vkCert\0\0\\VarFileInfo\\Translation";
    const auto at =
        std::search(program.begin(), program.end(), kStart, kStart + sizeof(kStart) - 1);
    return at == program.end() ? 0 : static_cast<std::size_t>(at - program.begin()) - 12;
}

template <class T>
void Put(Bytes& bytes, std::size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof(value));
}

}  // namespace

TEST(FileVersionInfo, ReadsTheStampOfABuiltProgram) {
    CFileVersionInfo info(VKTOKEN);
    const auto translations = info.GetTranslations();
    ASSERT_EQ(translations.size(), 1u);
    const CTranslation english = translations.front();
    EXPECT_EQ(english.language, 0x0409);
    EXPECT_EQ(english.codePage, 0xfde9);
    // The commit is there when the build had git and a repository.
    EXPECT_THAT(WideToUtf8(info.GetString(english, L"FileVersion")),
                MatchesRegex("[0-9]+\\.[0-9]+\\.[0-9]+( \\(commit [0-9a-f]{12}\\))?"));
    EXPECT_EQ(info.GetString(english, L"FileDescription"), L"Velkora virtual token administration");
    EXPECT_THAT(info.GetString(english, L"LegalCopyright"), testing::StartsWith(L"Copyright"));
    EXPECT_EQ(info.GetString(english, L"ProductName"), L"");
    EXPECT_EQ(info.GetString(CTranslation{0, 1}, L"FileVersion"), L"");
}

TEST(FileVersionInfo, FilesWithoutAStampRaiseTheirError) {
    vktest::TempWorld world;
    const fs::path dir = world.Root();
    WriteFile(dir / "empty", {});
    WriteFile(dir / "script", Bytes{'#', '!', '/', 'b', 'i', 'n', '/', 's', 'h', '\n'});
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);  // nobody writes: a read would wait

    EXPECT_EQ(ReadError(dir / "missing"), ERROR_FILE_NOT_FOUND);
    for (const char* name : {"empty", "script", "folder", "pipe"}) {
        EXPECT_EQ(ReadError(dir / name), ERROR_RESOURCE_TYPE_NOT_FOUND) << name;
    }
    // A program of the build without a stamp: this test.
    EXPECT_EQ(ReadError(fs::read_symlink("/proc/self/exe")), ERROR_RESOURCE_TYPE_NOT_FOUND);
}

TEST(FileVersionInfo, DamagedStampsAreNoStamps) {
    vktest::TempWorld world;
    const Bytes program = ReadFile(VKTOKEN);
    const std::size_t note = NoteOffset(program);
    ASSERT_GT(note, sizeof(Elf64_Ehdr));
    ASSERT_EQ(ReadError(VKTOKEN), 0u);
    const std::size_t textSizeAt = note + 4;
    const std::size_t textAt = note + 20;
    std::uint32_t textSize = 0;
    std::memcpy(&textSize, program.data() + textSizeAt, sizeof(textSize));

    const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> damages = {
        {"cut after the file header", [](Bytes& b) { b.resize(sizeof(Elf64_Ehdr)); }},
        {"cut in half", [](Bytes& b) { b.resize(b.size() / 2); }},
        {"section headers past the end",
         [](Bytes& b) { Put<std::uint64_t>(b, offsetof(Elf64_Ehdr, e_shoff), ~0ULL - 8); }},
        {"name table index out of range",
         [](Bytes& b) { Put<std::uint16_t>(b, offsetof(Elf64_Ehdr, e_shstrndx), 0xFFFF); }},
        {"other byte order", [](Bytes& b) { b[EI_DATA] = ELFDATA2MSB; }},
        {"text longer than the section",
         [=](Bytes& b) { Put<std::uint32_t>(b, textSizeAt, 0xFFFFFFF0u); }},
        {"text without its last NUL", [=](Bytes& b) { b[textAt + textSize - 1] = 'x'; }},
    };
    for (const auto& [what, damage] : damages) {
        Bytes copy = program;
        damage(copy);
        const fs::path file = world.Root() / "damaged";
        WriteFile(file, copy);
        EXPECT_EQ(ReadError(file), ERROR_RESOURCE_TYPE_NOT_FOUND) << what;
    }
}
