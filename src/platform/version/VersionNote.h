// The version stamp of a program file: an ELF note in its own section, written into every
// program at build time and read back from the file by CFileVersionInfo (also of a program that
// is not running). Its text is a table of keys and values, each ending with a NUL byte, keyed
// the way a version resource is queried:
//     \VarFileInfo\Translation                 "0409fde9" (language, code page; more separated
//                                              by spaces)
//     \StringFileInfo\0409fde9\FileVersion     "1.0.0 (commit 0123abcd4567)"
//     \StringFileInfo\0409fde9\FileDescription ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

namespace vkversion {

#define VK_STAMP_SECTION ".note.vkcert.version"
inline constexpr const char* kSection = VK_STAMP_SECTION;
inline constexpr char kOwner[] = "vkCert";
inline constexpr std::uint32_t kNoteType = 1;
// A stamp is a few hundred bytes; a longer section is no stamp of ours.
inline constexpr std::size_t kMaxNoteBytes = 64 * 1024;

// The layout of one ELF note: header, owner name and text, each padded to four bytes.
template <std::size_t N>
struct alignas(4) Note {
    std::uint32_t nameSize = sizeof(kOwner);
    std::uint32_t textSize = N;
    std::uint32_t type = kNoteType;
    char name[(sizeof(kOwner) + 3) / 4 * 4] = {};
    char text[(N + 3) / 4 * 4] = {};
};

template <std::size_t N>
constexpr Note<N> MakeNote(const char (&text)[N]) {
    Note<N> note;
    for (std::size_t i = 0; i < sizeof(kOwner); ++i) {
        note.name[i] = kOwner[i];
    }
    for (std::size_t i = 0; i < N; ++i) {
        note.text[i] = text[i];
    }
    return note;
}

// The key/value table of a note's bytes (the whole section); nothing when the bytes hold no
// well-formed note of ours.
std::optional<std::map<std::string, std::string>> ParseNote(std::span<const std::uint8_t> bytes);

}  // namespace vkversion

// The translation the build stamps: US English, UTF-8.
#define VK_STAMP_TRANSLATION "0409fde9"
#define VK_STAMP_STRING(name) "\\StringFileInfo\\" VK_STAMP_TRANSLATION "\\" name

// Defines the stamp of one program and ProgramVersion()/ProgramDescription() (ProgramVersion.h)
// from string literals. Used once per program, by the source the build generates for it.
// clang-format off
#define VK_VERSION_STAMP(version, description, copyright)                                        \
    namespace {                                                                                  \
    [[gnu::used, gnu::section(VK_STAMP_SECTION), gnu::aligned(4)]] constexpr auto kVersionNote = \
        vkversion::MakeNote("\\VarFileInfo\\Translation\0" VK_STAMP_TRANSLATION "\0"            \
                            VK_STAMP_STRING("FileVersion") "\0" version "\0"                       \
                            VK_STAMP_STRING("FileDescription") "\0" description "\0"               \
                            VK_STAMP_STRING("LegalCopyright") "\0" copyright);                     \
    }                                                                                            \
    const char* ProgramVersion() { return version; }                                             \
    const char* ProgramDescription() { return description; }
// clang-format on
