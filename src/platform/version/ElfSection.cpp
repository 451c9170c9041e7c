#include "platform/version/ElfSection.h"

#include <elf.h>

#include <bit>
#include <cstring>

namespace vkversion {

namespace {

// The section name table of a real program is a few hundred bytes.
constexpr std::uint64_t kMaxNameTableBytes = 1024 * 1024;

template <class T>
bool ReadStruct(const ReadAt& read, std::uint64_t offset, T& out) {
    return read(offset, std::span(reinterpret_cast<std::uint8_t*>(&out), sizeof(T)));
}

bool Within(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

std::optional<std::vector<std::uint8_t>> ReadBlock(const ReadAt& read, std::uint64_t offset,
                                                   std::uint64_t size, std::uint64_t fileSize) {
    if (!Within(offset, size, fileSize)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> block(size);
    if (!read(offset, block)) {
        return std::nullopt;
    }
    return block;
}

bool NameAt(const std::vector<std::uint8_t>& names, std::uint64_t at, std::string_view name) {
    if (at >= names.size() || names.size() - at < name.size() + 1) {
        return false;
    }
    return std::memcmp(names.data() + at, name.data(), name.size()) == 0 &&
           names[at + name.size()] == 0;
}

template <class Ehdr, class Shdr>
std::optional<std::vector<std::uint8_t>> FindSection(const ReadAt& read, std::uint64_t fileSize,
                                                     std::string_view name, std::size_t maxBytes) {
    Ehdr header{};
    if (!ReadStruct(read, 0, header) || header.e_shentsize < sizeof(Shdr) ||
        header.e_shstrndx >= header.e_shnum) {
        return std::nullopt;
    }
    const auto sectionAt = [&](std::uint64_t index, Shdr& out) {
        const std::uint64_t at = header.e_shoff + index * header.e_shentsize;
        return at >= header.e_shoff && Within(at, sizeof(Shdr), fileSize) &&
               ReadStruct(read, at, out);
    };
    Shdr nameTable{};
    if (!sectionAt(header.e_shstrndx, nameTable) || nameTable.sh_type == SHT_NOBITS ||
        nameTable.sh_size > kMaxNameTableBytes) {
        return std::nullopt;
    }
    const auto names = ReadBlock(read, nameTable.sh_offset, nameTable.sh_size, fileSize);
    if (!names) {
        return std::nullopt;
    }
    for (std::uint64_t i = 0; i < header.e_shnum; ++i) {
        Shdr section{};
        if (!sectionAt(i, section)) {
            return std::nullopt;
        }
        if (NameAt(*names, section.sh_name, name)) {
            if (section.sh_type == SHT_NOBITS || section.sh_size > maxBytes) {
                return std::nullopt;
            }
            return ReadBlock(read, section.sh_offset, section.sh_size, fileSize);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadElfSection(const ReadAt& read, std::uint64_t fileSize,
                                                        std::string_view name,
                                                        std::size_t maxBytes) {
    unsigned char ident[EI_NIDENT] = {};
    if (!read(0, std::span(ident)) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return std::nullopt;
    }
    const unsigned char ownOrder =
        std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != ownOrder) {
        return std::nullopt;
    }
    switch (ident[EI_CLASS]) {
        case ELFCLASS64:
            return FindSection<Elf64_Ehdr, Elf64_Shdr>(read, fileSize, name, maxBytes);
        case ELFCLASS32:
            return FindSection<Elf32_Ehdr, Elf32_Shdr>(read, fileSize, name, maxBytes);
        default:
            return std::nullopt;
    }
}

}  // namespace vkversion
