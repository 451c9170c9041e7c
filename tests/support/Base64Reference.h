// The Base64 decoding rules of the coder written out plainly, one group at a
// time (white space dropped, "=" and unknown characters as the coder takes
// them), to hold the coder's fast paths against in tests and fuzzing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vktest {

inline std::string ReferenceBase64Decode(const std::uint8_t* data, std::size_t size) {
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
        if (!((data[i] >= 7 && data[i] <= 13) || data[i] == 32)) {
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

inline std::string ReferenceBase64Decode(const std::string& text) {
    return ReferenceBase64Decode(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace vktest
