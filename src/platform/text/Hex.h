// Bytes as pairs of hexadecimal digits, in narrow or wide text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

enum class HexCase { Lower, Upper };

// Appends the byte's two digits.
void AppendHex(std::string& out, std::uint8_t byte, HexCase letters);
void AppendHex(std::wstring& out, std::uint8_t byte, HexCase letters);

// The bytes in order, with the separator between groups of `group` bytes
// (none when the separator is empty).
std::string HexText(std::span<const std::uint8_t> bytes, HexCase letters,
                    std::string_view separator = {}, std::size_t group = 1);
std::wstring WideHexText(std::span<const std::uint8_t> bytes, HexCase letters,
                         std::wstring_view separator = {}, std::size_t group = 1);
