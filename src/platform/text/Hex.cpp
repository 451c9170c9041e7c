#include "platform/text/Hex.h"

namespace {

template <class String>
void AppendDigits(String& out, std::uint8_t byte, HexCase letters) {
    const char* digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    out.push_back(static_cast<typename String::value_type>(digits[byte >> 4]));
    out.push_back(static_cast<typename String::value_type>(digits[byte & 0xF]));
}

template <class String, class View>
String Joined(std::span<const std::uint8_t> bytes, HexCase letters, View separator,
              std::size_t group) {
    String out;
    out.reserve(bytes.size() * 2 + bytes.size() * separator.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0 && group != 0 && i % group == 0) {
            out += separator;
        }
        AppendDigits(out, bytes[i], letters);
    }
    return out;
}

}  // namespace

void AppendHex(std::string& out, std::uint8_t byte, HexCase letters) {
    AppendDigits(out, byte, letters);
}

void AppendHex(std::wstring& out, std::uint8_t byte, HexCase letters) {
    AppendDigits(out, byte, letters);
}

std::string HexText(std::span<const std::uint8_t> bytes, HexCase letters,
                    std::string_view separator, std::size_t group) {
    return Joined<std::string>(bytes, letters, separator, group);
}

std::wstring WideHexText(std::span<const std::uint8_t> bytes, HexCase letters,
                         std::wstring_view separator, std::size_t group) {
    return Joined<std::wstring>(bytes, letters, separator, group);
}
