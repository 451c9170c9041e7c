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

#include "program/core/coders/Base64Coder.h"
#include "support/Base64Reference.h"

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
        Check(std::string(reinterpret_cast<const char*>(bytes), n) ==
              vktest::ReferenceBase64Decode(data, size));
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
