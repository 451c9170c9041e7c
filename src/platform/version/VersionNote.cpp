#include "platform/version/VersionNote.h"

#include <cstring>
#include <string_view>

namespace vkversion {

namespace {

constexpr std::size_t kHeaderBytes = 12;

std::uint32_t ReadWord(std::span<const std::uint8_t> bytes, std::size_t at) {
    std::uint32_t word = 0;
    std::memcpy(&word, bytes.data() + at, sizeof(word));
    return word;
}

constexpr std::size_t Padded(std::size_t size) {
    return (size + 3) / 4 * 4;
}

}  // namespace

std::optional<std::map<std::string, std::string>> ParseNote(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderBytes + Padded(sizeof(kOwner)) || bytes.size() > kMaxNoteBytes) {
        return std::nullopt;
    }
    const std::size_t nameSize = ReadWord(bytes, 0);
    const std::size_t textSize = ReadWord(bytes, 4);
    if (nameSize != sizeof(kOwner) || ReadWord(bytes, 8) != kNoteType ||
        std::memcmp(bytes.data() + kHeaderBytes, kOwner, sizeof(kOwner)) != 0) {
        return std::nullopt;
    }
    const std::size_t textAt = kHeaderBytes + Padded(nameSize);
    if (textSize == 0 || textSize > bytes.size() - textAt) {
        return std::nullopt;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data() + textAt), textSize);
    if (text.back() != '\0') {
        return std::nullopt;
    }
    std::map<std::string, std::string> table;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t keyEnd = text.find('\0', at);
        const std::size_t valueEnd = text.find('\0', keyEnd + 1);
        if (valueEnd == std::string_view::npos) {
            return std::nullopt;  // a key without its value
        }
        table.emplace(text.substr(at, keyEnd - at), text.substr(keyEnd + 1, valueEnd - keyEnd - 1));
        at = valueEnd + 1;
    }
    return table;
}

}  // namespace vkversion
