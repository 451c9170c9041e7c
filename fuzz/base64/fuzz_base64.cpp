// Decodes arbitrary text with CBase64Coder and checks what callers rely on: the decoded
// length bound, the bytes the decoding rules give, zero bytes beyond both results, the text
// kept without white space, and that encoding the result and decoding it again gives the same
// bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/coders/Base64Coder.h"

namespace {

// The least capacity a buffer has; the bytes up to it beyond the length must be zero.
constexpr std::size_t kLeastCapacity = 4096;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool ZeroFrom(const BYTE* p, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (p[i] != 0) {
            return false;
        }
    }
    return true;
}

bool Skipped(BYTE b) {
    return (b >= 7 && b <= 13) || b == 32;
}

// The decoding rules written out plainly, one group at a time.
std::string ReferenceDecode(const std::uint8_t* data, std::size_t size) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto value = [](unsigned char c) -> unsigned {
        unsigned char low = c & 0x7F;
        if (low == '=') {
            return 255;
        }
        auto at = alphabet.find(static_cast<char>(low));
        return at == std::string::npos ? 254 : static_cast<unsigned>(at);
    };
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (!Skipped(data[i])) {
            text += static_cast<char>(data[i]);
        }
    }
    std::string out(text.size() + 3, '\0');
    std::size_t len = 0;
    auto join = [&](const unsigned v[4]) {
        out[len] = static_cast<char>(((v[0] << 2) | ((v[1] >> 4) & 3)) & 0xFF);
        out[len + 1] = static_cast<char>(((v[1] << 4) | ((v[2] >> 2) & 15)) & 0xFF);
        out[len + 2] = static_cast<char>(((v[2] << 6) | (v[3] & 63)) & 0xFF);
    };
    std::size_t i = 0;
    for (; i + 4 <= text.size(); i += 4) {
        unsigned v[4];
        std::size_t pads = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            v[k] = value(static_cast<unsigned char>(text[i + k]));
            if (k >= 2 && v[k] == 255) {
                v[k] = 0;
                ++pads;
            }
        }
        join(v);
        len += 3 - pads;
    }
    if (i < text.size()) {
        unsigned v[4] = {0, 0, 0, 0};
        for (std::size_t k = 0; i + k < text.size(); ++k) {
            v[k] = value(static_cast<unsigned char>(text[i + k]));
            v[k] = v[k] == 255 ? 0 : v[k];
        }
        join(v);
        len += text.size() - i - 1;
    }
    out.resize(len);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SCODERS::CBase64Coder reused;  // buffers reused across inputs, as callers do
    SCODERS::CBase64Coder fresh;
    for (SCODERS::CBase64Coder* coder : {&reused, &fresh}) {
        coder->Decode(data, static_cast<DWORD>(size));

        std::vector<BYTE> kept;
        for (std::size_t i = 0; i < size; ++i) {
            if (!Skipped(data[i])) {
                kept.push_back(data[i]);
            }
        }
        Check(coder->GetEncodedLength() == kept.size());
        auto text = reinterpret_cast<const BYTE*>(coder->GetEncoded());
        Check(kept.empty() || std::memcmp(text, kept.data(), kept.size()) == 0);
        Check(ZeroFrom(text, kept.size(), std::max(kLeastCapacity, kept.size() + 1)));

        const std::size_t n = coder->GetDecodedLength();
        // Each whole group gives one to three bytes, a short last group one less than its
        // characters.
        std::size_t whole = kept.size() / 4;
        std::size_t rest = kept.size() % 4;
        std::size_t least = whole + (rest ? rest - 1 : 0);
        std::size_t most = 3 * whole + (rest ? rest - 1 : 0);
        Check(n >= least && n <= most);
        const BYTE* bytes = coder->GetDecoded();
        Check(std::string(reinterpret_cast<const char*>(bytes), n) == ReferenceDecode(data, size));
        Check(ZeroFrom(bytes, n, std::max(kLeastCapacity, n + 1)));

        std::vector<BYTE> decoded(bytes, bytes + n);
        SCODERS::CBase64Coder again;
        again.Encode(decoded.data(), static_cast<DWORD>(n));
        Check(again.GetEncodedLength() == 4 * ((n + 2) / 3));
        Check(std::strlen(again.GetEncoded()) == again.GetEncodedLength());
        again.Decode(again.GetEncoded());
        Check(again.GetDecodedLength() == n);
        Check(n == 0 || std::memcmp(again.GetDecoded(), decoded.data(), n) == 0);
    }
    return 0;
}
