#include "program/ops/CBase64CerFormat.h"

#include "program/core/coders/Base64Coder.h"

namespace SVKCERT::SFileFormats {
namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

std::size_t SkipLineBreaks(std::string_view text, std::size_t at) {
    while (at < text.size() && IsLineBreak(text[at])) {
        ++at;
    }
    return at;
}

bool IsEndLine(std::string_view line) {
    return line.size() <= CBase64CerFormat::kEnd.size() &&
           CBase64CerFormat::kEnd.substr(0, line.size()) == line;
}

}  // namespace

std::string CBase64CerFormat::Write(std::span<const BYTE> der) {
    SCODERS::CBase64Coder coder;
    coder.Encode(der.data(), static_cast<DWORD>(der.size()));
    const std::string_view body(coder.GetEncoded(), coder.GetEncodedLength());
    std::string text;
    text.reserve(body.size() + body.size() / kLineLength * 2 + kBegin.size() + kEnd.size() + 4);
    text += kBegin;
    text += "\r\n";
    for (std::size_t at = 0; at < body.size(); at += kLineLength) {
        text += body.substr(at, kLineLength);
        text += "\r\n";
    }
    text += kEnd;
    return text;
}

std::vector<BYTE> CBase64CerFormat::Read(std::string_view text) {
    std::size_t at = SkipLineBreaks(text, 0);
    if (text.substr(at, kBegin.size()) != kBegin) {
        throw CParseException();
    }
    at = SkipLineBreaks(text, at + kBegin.size());
    std::string body;
    for (;;) {
        if (at >= text.size()) {
            throw CParseException();
        }
        std::size_t end = at;
        while (end < text.size() && !IsLineBreak(text[end])) {
            ++end;
        }
        const std::string_view line = text.substr(at, end - at);
        at = SkipLineBreaks(text, end);
        if (IsEndLine(line)) {
            break;
        }
        body += line;
    }
    if (at != text.size()) {
        throw CParseException();
    }
    SCODERS::CBase64Coder coder;
    coder.Decode(reinterpret_cast<const BYTE*>(body.data()), static_cast<DWORD>(body.size()));
    const BYTE* decoded = coder.GetDecoded();
    return std::vector<BYTE>(decoded, decoded + coder.GetDecodedLength());
}

}  // namespace SVKCERT::SFileFormats
