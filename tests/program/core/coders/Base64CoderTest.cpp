// CBase64Coder against the plain reference decoder and OpenSSL's encoder: decoding rules, buffers
// reused and zero-filled beyond the result, round trips. Speed is left to bench_base64.
#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "program/core/coders/Base64Coder.h"
#include "support/Base64Reference.h"

using SCODERS::CBase64Coder;

namespace {

// The least capacity of any buffer: how far beyond the valid length they may be read.
constexpr DWORD kLeastCapacity = 4096;

std::string Encoded(const CBase64Coder& coder) {
    return std::string(coder.GetEncoded(), coder.GetEncodedLength());
}

std::string Decoded(const CBase64Coder& coder) {
    return std::string(reinterpret_cast<const char*>(coder.GetDecoded()), coder.GetDecodedLength());
}

std::string DecodeText(const std::string& text) {
    CBase64Coder coder;
    coder.Decode(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
    return Decoded(coder);
}

// Everything from `from` up to `to` is zero.
bool ZeroFrom(const void* buffer, DWORD from, DWORD to) {
    auto p = static_cast<const BYTE*>(buffer);
    return std::all_of(p + from, p + to, [](BYTE b) { return b == 0; });
}

std::vector<BYTE> RandomBytes(std::size_t n) {
    std::vector<BYTE> v(n);
    EXPECT_EQ(RAND_bytes(v.data(), static_cast<int>(n)), 1);
    return v;
}

std::string OpenSslEncode(const std::vector<BYTE>& data) {
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data.data(),
                            static_cast<int>(data.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

}  // namespace

TEST(Base64Coder, DecodesByTheDescribedRulesAndMalformedTextOfAnyLengthAsTheReference) {
    // Each rule once by its bytes, which also holds the reference to them.
    const std::pair<std::string, std::string> cases[] = {
        {"TWE=", "Ma"},
        {"TQ", "M"},                      // a short last group decodes as padded
        {"Zm9vY", "foo"},                 // a lone character makes no byte
        {"TQ==TWFu", "MMan"},             // padding in the middle ends its group only
        {"TQ=", {"M\0", 2}},              // "=" in a short last group counts as zero
        {"=W*u", "\xFD\x6F\xAE"},         // "=" first counts as 63, unknown as 62
        {"T\xD7\xC6u", "Man"},            // the top bit is ignored,
        {"TQ\xBD\xBD", "M"},              // also on "="
        {" T\tW\nF\r\vu\f\a\b ", "Man"},  // white space anywhere
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(DecodeText(text), bytes) << text;
        EXPECT_EQ(vktest::ReferenceBase64Decode(text), bytes) << text;
    }
    // Malformed text of any length: long runs of unusual characters reach the block-wise paths,
    // not only the last group.
    const std::string pool =
        "ABCXYZabcxyz0189+/==\xC1\xDA\xE1\xFA\xB0\xB9\xAB\xAF\xBD\xBD*-.\x01\x06\x0E\x7F\x80\xFF"
        " \t\r\n\v\f\a\b";
    std::vector<BYTE> random = RandomBytes(200000);
    std::size_t r = 0;
    CBase64Coder coder;
    for (int round = 0; round < 400; ++round) {
        const std::size_t n = random[r++ % random.size()] * 3u % 700u;
        std::string text;
        for (std::size_t i = 0; i < n; ++i) {
            // Mostly alphabet characters, so that whole blocks without "=" occur too; then
            // unusual ones, and any byte value.
            const BYTE pick = random[r++ % random.size()];
            const BYTE any = random[r++ % random.size()];
            text += pick < 200   ? "QUJD"[pick % 4]
                    : pick < 240 ? pool[any % pool.size()]
                                 : char(any);
        }
        coder.Decode(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
        ASSERT_EQ(Decoded(coder), vktest::ReferenceBase64Decode(text)) << round;
        ASSERT_TRUE(ZeroFrom(coder.GetDecoded(), coder.GetDecodedLength(), kLeastCapacity));
    }
}

TEST(Base64Coder, BuffersAreReusedZeroBeyondEveryResultAndMayBeTheInput) {
    CBase64Coder coder;
    coder.Encode("");
    EXPECT_EQ(coder.GetEncodedLength(), 0u);
    EXPECT_TRUE(ZeroFrom(coder.GetEncoded(), 0, kLeastCapacity));
    const std::vector<BYTE> big(3000, 0xFF);  // no zero bytes that could hide stale data
    coder.Encode(big.data(), static_cast<DWORD>(big.size()));
    ASSERT_EQ(coder.GetEncodedLength(), 4000u);
    coder.Encode("Ma");
    EXPECT_STREQ(coder.GetEncoded(), "TWE=");
    EXPECT_EQ(Decoded(coder), "Ma") << "the input is the decoded side";
    EXPECT_TRUE(ZeroFrom(coder.GetEncoded(), 4, 8192));
    EXPECT_TRUE(ZeroFrom(coder.GetDecoded(), 2, kLeastCapacity));
    coder.Encode(static_cast<const char*>(nullptr));
    coder.Decode(static_cast<const char*>(nullptr));
    EXPECT_EQ(Encoded(coder) + Decoded(coder), "TWE=Ma") << "null does nothing";

    // A shorter result after a longer one, and endings that carry bits the last byte does not
    // hold, leave nothing beyond the length.
    for (const char* text : {"////////////////////////////////////////", "TQ", "TR==", "TR", "TWF",
                             "TWG=", "/", "////////////////////////="}) {
        coder.Decode(text);
        EXPECT_TRUE(ZeroFrom(coder.GetDecoded(), coder.GetDecodedLength(), kLeastCapacity)) << text;
        EXPECT_TRUE(ZeroFrom(coder.GetEncoded(), coder.GetEncodedLength(), kLeastCapacity)) << text;
    }

    // Input taken from the coder's own buffers is not lost: re-encoding its decoded side gives
    // the same text, not the text of zeros.
    coder.Encode("Many hands make light work.");
    const std::string expected = Encoded(coder);
    coder.Encode(coder.GetDecoded(), coder.GetDecodedLength());
    EXPECT_EQ(Encoded(coder), expected);
    coder.Decode(reinterpret_cast<const BYTE*>(coder.GetEncoded()), coder.GetEncodedLength());
    EXPECT_EQ(Decoded(coder), "Many hands make light work.");
    coder.Decode(coder.GetDecoded(), 4);  // "Many" read as Base64 text
    EXPECT_EQ(Encoded(coder), "Many");
    EXPECT_EQ(coder.GetDecodedLength(), 3u);
}

TEST(Base64Coder, EveryByteAndSizeStepRoundTripsAsOpenSslAlsoInLinesOfText) {
    std::vector<BYTE> all(256);
    std::iota(all.begin(), all.end(), BYTE{0});
    std::vector<std::vector<BYTE>> inputs = {all};
    for (std::size_t n : {1u, 2u, 2047u, 2048u, 2049u, 4095u, 4096u, 4097u, 8191u, 12289u}) {
        inputs.push_back(RandomBytes(n));
    }
    for (int round = 1; round < 200; ++round) {
        inputs.push_back(RandomBytes(static_cast<std::size_t>(round * round) % 9000 + 1));
    }
    CBase64Coder reused;  // one coder throughout, so buffers are reused at every size
    for (const auto& data : inputs) {
        for (bool fresh : {true, false}) {
            CBase64Coder first;
            CBase64Coder& coder = fresh ? first : reused;
            coder.Encode(data.data(), static_cast<DWORD>(data.size()));
            const std::string text = Encoded(coder);
            ASSERT_EQ(text, OpenSslEncode(data)) << data.size();
            ASSERT_EQ(std::strlen(coder.GetEncoded()), text.size());
            // As a certificate file's lines, the encoded side then holds them without white space.
            std::string lines;
            for (std::size_t i = 0; i < text.size(); i += 64) {
                lines += text.substr(i, 64) + "\r\n";
            }
            coder.Decode((fresh ? text : lines).c_str());
            ASSERT_EQ(Encoded(coder), text);
            ASSERT_EQ(coder.GetDecodedLength(), data.size());
            ASSERT_EQ(std::memcmp(coder.GetDecoded(), data.data(), data.size()), 0) << data.size();
        }
    }
}
