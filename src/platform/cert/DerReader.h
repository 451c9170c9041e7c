// A strict reader of DER: definite lengths, single-byte tags, nothing read
// beyond the input. Used to split certificates and names into their fields
// without decoding what is not asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vk::cert {

inline constexpr std::uint8_t kTagBoolean = 0x01;
inline constexpr std::uint8_t kTagInteger = 0x02;
inline constexpr std::uint8_t kTagBitString = 0x03;
inline constexpr std::uint8_t kTagOctetString = 0x04;
inline constexpr std::uint8_t kTagNull = 0x05;
inline constexpr std::uint8_t kTagOid = 0x06;
inline constexpr std::uint8_t kTagUtcTime = 0x17;
inline constexpr std::uint8_t kTagGeneralizedTime = 0x18;
inline constexpr std::uint8_t kTagSequence = 0x30;
inline constexpr std::uint8_t kTagSet = 0x31;

// One element: its tag, its contents and the whole element (tag and length too).
struct DerElement {
    std::uint8_t tag = 0;
    const std::uint8_t* contents = nullptr;
    std::size_t length = 0;
    const std::uint8_t* whole = nullptr;
    std::size_t wholeLength = 0;
};

class DerReader {
public:
    DerReader(const std::uint8_t* data, std::size_t size) : m_pos(data), m_end(data + size) {}
    explicit DerReader(const DerElement& constructed)
        : DerReader(constructed.contents, constructed.length) {}

    bool AtEnd() const { return m_pos == m_end; }
    // The tag of the next element, without reading it.
    std::optional<std::uint8_t> PeekTag() const;
    // Reads the next element; false (and the reader unchanged) when malformed or at the end.
    bool Next(DerElement& out);
    // Reads the next element when it has this tag.
    bool Expect(std::uint8_t tag, DerElement& out);

private:
    const std::uint8_t* m_pos;
    const std::uint8_t* m_end;
};

// Dotted text of an OBJECT IDENTIFIER's contents; nothing when malformed.
std::optional<std::string> OidToText(const std::uint8_t* contents, std::size_t length);
// The contents of an OBJECT IDENTIFIER for dotted text; nothing when malformed.
std::optional<std::string> OidFromText(const std::string& dotted);

}  // namespace vk::cert
