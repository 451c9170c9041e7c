// The Base64 certificate file: "-----BEGIN CERTIFICATE-----" CR LF, the Base64
// of the DER in lines of 64 characters each ending in CR LF, then
// "-----END CERTIFICATE-----" with no line end after it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace SVKCERT::SFileFormats {

class CBase64CerFormat {
public:
    // Malformed armour.
    class CParseException {};

    static constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
    static constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
    static constexpr std::size_t kLineLength = 64;

    // The file text of the DER bytes.
    static std::string Write(std::span<const BYTE> der);

    // The decoded body of a Base64 file text: CR and LF may come before the
    // begin line; after it lines end at CR or LF (runs of them are skipped);
    // a line that is the start of the end line (as far as it goes) ends the
    // body; only CR and LF may follow it. Throws CParseException when the
    // begin line is missing, the text ends before the end line, or something
    // follows the end line. The body decodes leniently (may be empty).
    static std::vector<BYTE> Read(std::string_view text);
};

}  // namespace SVKCERT::SFileFormats
