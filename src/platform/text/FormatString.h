// Fills the string table's formats: %s (a wide string), %d and %i (signed),
// %u (unsigned), %x and %X (hexadecimal), each with an optional '-' or '0'
// flag and a width (%08X, %02x, %5d, %-10s), and %% for a percent sign.
//
// Arguments are taken in order and checked against their directive: a
// directive without an argument, or with an argument of the wrong kind (text
// for a number, a number for %s), is left in the result as written; a wrong
// argument is still used up, so the next directive takes the next argument.
// Anything else after a percent sign is left as written and takes no argument.
// Numbers print their true value: %d of an unsigned value prints it unsigned,
// and %u or %X of a negative value prints its 32-bit two's complement (64-bit
// when it does not fit in 32).
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

class FormatArg {
public:
    enum class Kind { Text, Signed, Unsigned };

    FormatArg(const wchar_t* text) : m_kind(Kind::Text), m_text(text ? text : L"(null)") {}
    FormatArg(const std::wstring& text) : m_kind(Kind::Text), m_text(text) {}
    FormatArg(std::wstring_view text) : m_kind(Kind::Text), m_text(text) {}

    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, wchar_t> &&
             !std::same_as<T, char8_t> && !std::same_as<T, char16_t> && !std::same_as<T, char32_t>)
        FormatArg(T value) {
        if constexpr (std::is_signed_v<T>) {
            m_kind = Kind::Signed;
            m_signed = value;
        } else {
            m_kind = Kind::Unsigned;
            m_unsigned = value;
        }
    }

    // Narrow text, single characters and booleans are refused at compile time.
    FormatArg(const char*) = delete;
    FormatArg(const std::string&) = delete;
    FormatArg(bool) = delete;
    FormatArg(char) = delete;
    FormatArg(wchar_t) = delete;

    Kind GetKind() const { return m_kind; }
    std::wstring_view Text() const { return m_text; }
    std::int64_t Signed() const { return m_signed; }
    std::uint64_t Unsigned() const { return m_unsigned; }

private:
    Kind m_kind = Kind::Text;
    std::wstring_view m_text;
    std::int64_t m_signed = 0;
    std::uint64_t m_unsigned = 0;
};

std::wstring FormatStringArgs(std::wstring_view format, std::span<const FormatArg> args);

// FormatString(L"Reading token \"%s\" containers ...", name)
template <typename... Args>
std::wstring FormatString(std::wstring_view format, const Args&... args) {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    return FormatStringArgs(format, list);
}
