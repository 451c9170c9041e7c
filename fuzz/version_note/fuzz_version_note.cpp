// Feeds arbitrary bytes to the version stamp reader as a program file's contents (the ELF
// section lookup) and as a stamp's note, as CFileVersionInfo reads them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "platform/version/ElfSection.h"
#include "platform/version/VersionNote.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const auto readAt = [file](std::uint64_t offset, std::span<std::uint8_t> out) {
        if (offset > file.size() || out.size() > file.size() - offset) {
            return false;
        }
        if (out.empty()) {
            return true;  // memcpy of nothing may still not take a null pointer
        }
        std::memcpy(out.data(), file.data() + offset, out.size());
        return true;
    };
    if (const auto section = vkversion::ReadElfSection(readAt, file.size(), vkversion::kSection,
                                                       vkversion::kMaxNoteBytes)) {
        (void)vkversion::ParseNote(*section);
    }
    (void)vkversion::ParseNote(file);
    return 0;
}
