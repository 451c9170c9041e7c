// Finds one section of an ELF file by its name, reading only the headers, the section name
// table and that section. Any file may be handed in: what is no ELF file of this machine's byte
// order, or lies about its sizes, answers nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vkversion {

// Fills `out` with the file's bytes from `offset`; false when it cannot fill all of it.
using ReadAt = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> out)>;

// The bytes of the section called `name` in a file of `fileSize` bytes; nothing when there is
// no such section, it holds no bytes of the file or is longer than `maxBytes`.
std::optional<std::vector<std::uint8_t>> ReadElfSection(const ReadAt& read, std::uint64_t fileSize,
                                                        std::string_view name,
                                                        std::size_t maxBytes);

}  // namespace vkversion
