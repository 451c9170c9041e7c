// CBase64Coder: known vectors, padding and its absence, white space, high-bit and unknown
// characters, buffer reuse with zero-filling, input taken from the coder's own buffers, and
// random round trips checked against OpenSSL. Speed is left to bench_base64.
#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstring>
#include <string>
#include <vector>

#include "program/core/coders/Base64Coder.h"
#include "support/Base64Reference.h"

using SCODERS::CBase64Coder;

namespace {

// The coder can be asked for its buffers beyond the valid length only up to the first
// 4096-byte step, the least capacity any buffer has.
constexpr DWORD kLeastCapacity = 4096;

std::string Encoded(CBase64Coder& coder) {
    return std::string(coder.GetEncoded(), coder.GetEncodedLength());
}

std::string Decoded(CBase64Coder& coder) {
    return std::string(reinterpret_cast<const char*>(coder.GetDecoded()), coder.GetDecodedLength());
}

std::string EncodeText(const std::string& text) {
    CBase64Coder coder;
    coder.Encode(text.c_str());
    return Encoded(coder);
}

std::string DecodeText(const std::string& text) {
    CBase64Coder coder;
    coder.Decode(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
    return Decoded(coder);
}

// Everything from `from` up to `to` is zero.
bool ZeroFrom(const void* buffer, DWORD from, DWORD to) {
    auto p = static_cast<const BYTE*>(buffer);
    for (DWORD i = from; i < to; ++i) {
        if (p[i] != 0) {
            return false;
        }
    }
    return true;
}

std::vector<BYTE> RandomBytes(std::size_t n) {
    std::vector<BYTE> v(n);
    if (n) {
        EXPECT_EQ(RAND_bytes(v.data(), static_cast<int>(n)), 1);
    }
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

TEST(Base64Coder, EncodesKnownVectorsWithPadding) {
    EXPECT_EQ(EncodeText("Man"), "TWFu");
    EXPECT_EQ(EncodeText("Ma"), "TWE=");
    EXPECT_EQ(EncodeText("M"), "TQ==");
    EXPECT_EQ(EncodeText("foobar"), "Zm9vYmFy");
    EXPECT_EQ(EncodeText("fooba"), "Zm9vYmE=");
    // Every byte value, so that each alphabet character and both table halves are used.
    std::vector<BYTE> all(256);
    for (int i = 0; i < 256; ++i) {
        all[static_cast<std::size_t>(i)] = static_cast<BYTE>(i);
    }
    CBase64Coder coder;
    coder.Encode(all.data(), static_cast<DWORD>(all.size()));
    EXPECT_EQ(Encoded(coder), OpenSslEncode(all));
}

TEST(Base64Coder, EncodeKeepsTheInputAsDecodedSideAndNullTextDoesNothing) {
    CBase64Coder coder;
    coder.Encode("Man");
    EXPECT_EQ(Decoded(coder), "Man");
    coder.Encode(static_cast<const char*>(nullptr));
    EXPECT_EQ(Encoded(coder), "TWFu");
    coder.Decode(static_cast<const char*>(nullptr));
    EXPECT_EQ(Decoded(coder), "Man");
}

TEST(Base64Coder, EmptyInputGivesEmptyZeroFilledResult) {
    CBase64Coder coder;
    coder.Encode("");
    EXPECT_EQ(coder.GetEncodedLength(), 0u);
    ASSERT_NE(coder.GetEncoded(), nullptr);
    EXPECT_TRUE(ZeroFrom(coder.GetEncoded(), 0, kLeastCapacity));

    coder.Decode("");
    EXPECT_EQ(coder.GetDecodedLength(), 0u);
    ASSERT_NE(coder.GetDecoded(), nullptr);
    EXPECT_TRUE(ZeroFrom(coder.GetDecoded(), 0, kLeastCapacity));
}

TEST(Base64Coder, DecodesPaddedAndUnpaddedText) {
    EXPECT_EQ(DecodeText("TWFu"), "Man");
    EXPECT_EQ(DecodeText("TWE="), "Ma");
    EXPECT_EQ(DecodeText("TQ=="), "M");
    EXPECT_EQ(DecodeText("TWE"), "Ma");
    EXPECT_EQ(DecodeText("TQ"), "M");
    EXPECT_EQ(DecodeText("Zm9vYmFy"), "foobar");
    EXPECT_EQ(DecodeText("Zm9vYg"), "foob");
    // A lone character makes no byte.
    EXPECT_EQ(DecodeText("Zm9vY"), "foo");
}

TEST(Base64Coder, DecodesUnusualPlacesOfPaddingAsDescribed) {
    // "=" in the first two places of a group counts as 63 ("/").
    EXPECT_EQ(DecodeText("=WFu"), DecodeText("/WFu"));
    EXPECT_EQ(DecodeText("T=Fu"), DecodeText("T/Fu"));
    // Padding in the middle of the text shortens that group; the next one follows it.
    EXPECT_EQ(DecodeText("TQ==TWFu"), "MMan");
    // In a short last group "=" counts as zero, yet the group still gives its bytes.
    EXPECT_EQ(DecodeText("TQ="), std::string("M\0", 2));
}

TEST(Base64Coder, UnknownCharactersCountAs62) {
    EXPECT_EQ(DecodeText("TW*u"), DecodeText("TW+u"));
    EXPECT_EQ(DecodeText("\x01WFu"), DecodeText("+WFu"));
    // A high-bit byte that is not an alphabet character with the top bit set.
    EXPECT_EQ(DecodeText("TWF\xFF"), DecodeText("TWF+"));
}

TEST(Base64Coder, HighBitCharactersDecodeLikeTheirLowSevenBits) {
    std::string text = "TWFuIGlz";
    std::string high;
    for (char c : text) {
        high.push_back(static_cast<char>(static_cast<unsigned char>(c) | 0x80));
    }
    EXPECT_EQ(DecodeText(high), "Man is");
    EXPECT_EQ(DecodeText("TQ\xBD\xBD"), "M");  // "=" with the top bit set is padding too
    EXPECT_EQ(DecodeText("T\xD7\xC6u"), "Man");
}

TEST(Base64Coder, WhiteSpaceAnywhereIsIgnored) {
    std::vector<BYTE> data = RandomBytes(1000);
    CBase64Coder coder;
    coder.Encode(data.data(), static_cast<DWORD>(data.size()));
    std::string flat = Encoded(coder);

    // Lines of 64 characters, as a certificate file holds them.
    std::string lines;
    for (std::size_t i = 0; i < flat.size(); i += 64) {
        lines += flat.substr(i, 64) + "\r\n";
    }
    std::string messy;
    const char spaces[] = {' ', '\t', '\n', '\r', '\v', '\f', '\a', '\b'};
    for (std::size_t i = 0; i < flat.size(); ++i) {
        if (i % 7 == 0) {
            messy += spaces[i % sizeof spaces];
        }
        messy += flat[i];
        if (i % 13 == 0) {
            messy += "  \n";
        }
    }
    messy += "\r\n\t ";
    for (const std::string& text : {lines, messy}) {
        CBase64Coder decoder;
        decoder.Decode(text.c_str());
        ASSERT_EQ(decoder.GetDecodedLength(), data.size());
        EXPECT_EQ(std::memcmp(decoder.GetDecoded(), data.data(), data.size()), 0);
        // The encoded side holds the text without its white space.
        EXPECT_EQ(Encoded(decoder), flat);
    }
    // Bytes next to white space that are not white space: 6 and 14 count as 62.
    EXPECT_EQ(DecodeText("TW\x06u"), DecodeText("TW+u"));
    EXPECT_EQ(DecodeText("T\x0E"
                         "Fu"),
              DecodeText("T+Fu"));
}

TEST(Base64Coder, ThousandBytesGive1336CharactersWithoutLineBreaks) {
    std::vector<BYTE> data = RandomBytes(1000);
    CBase64Coder coder;
    coder.Encode(data.data(), 1000);
    ASSERT_EQ(coder.GetEncodedLength(), 1336u);
    EXPECT_EQ(std::strlen(coder.GetEncoded()), 1336u);
    EXPECT_EQ(Encoded(coder), OpenSslEncode(data));
}

TEST(Base64Coder, ReusedBuffersAreZeroBeyondAShorterResult) {
    CBase64Coder coder;
    std::vector<BYTE> big = RandomBytes(3000);
    std::fill(big.begin(), big.end(), 0xFF);  // no zero bytes that could hide stale data
    coder.Encode(big.data(), static_cast<DWORD>(big.size()));
    ASSERT_EQ(coder.GetEncodedLength(), 4000u);
    coder.Encode("Ma");
    EXPECT_STREQ(coder.GetEncoded(), "TWE=");
    EXPECT_TRUE(ZeroFrom(coder.GetEncoded(), 4, 8192));
    EXPECT_TRUE(ZeroFrom(coder.GetDecoded(), 2, kLeastCapacity));

    coder.Decode(Encoded(coder).c_str());
    coder.Decode("////////////////////////////////////////");
    ASSERT_EQ(coder.GetDecodedLength(), 30u);
    coder.Decode("TQ");
    EXPECT_EQ(Decoded(coder), "M");
    EXPECT_TRUE(ZeroFrom(coder.GetDecoded(), 1, kLeastCapacity));
    EXPECT_TRUE(ZeroFrom(coder.GetEncoded(), 2, kLeastCapacity));
}

TEST(Base64Coder, NonCanonicalEndingsLeaveNoBitsBeyondTheLength) {
    // "TR==" and "TR" carry bits the one decoded byte does not hold; they must not show
    // past the length, which callers rely on when reading the buffer as zero-filled.
    for (const char* text : {"TR==", "TR", "TWF", "TWG=", "/", "////////////////////////="}) {
        CBase64Coder coder;
        coder.Decode(text);
        EXPECT_TRUE(ZeroFrom(coder.GetDecoded(), coder.GetDecodedLength(), kLeastCapacity)) << text;
    }
}

TEST(Base64Coder, GrowsAcrossTheFirstStepAndKeepsData) {
    // Sizes around the 4096-byte steps of both sides.
    for (std::size_t n : {2047u, 2048u, 2049u, 4095u, 4096u, 4097u, 8191u, 12289u}) {
        std::vector<BYTE> data = RandomBytes(n);
        CBase64Coder coder;
        coder.Encode("x");
        coder.Encode(data.data(), static_cast<DWORD>(n));
        std::string text = Encoded(coder);
        ASSERT_EQ(text, OpenSslEncode(data)) << n;
        EXPECT_EQ(std::strlen(coder.GetEncoded()), text.size());
        coder.Decode(text.c_str());
        ASSERT_EQ(coder.GetDecodedLength(), n);
        EXPECT_EQ(std::memcmp(coder.GetDecoded(), data.data(), n), 0) << n;
    }
}

TEST(Base64Coder, InputFromTheCodersOwnBuffersIsNotLost) {
    CBase64Coder coder;
    coder.Encode("Many hands make light work.");
    std::string expected = Encoded(coder);
    // Re-encoding its own decoded side must give the same text, not the text of zeros.
    coder.Encode(coder.GetDecoded(), coder.GetDecodedLength());
    EXPECT_EQ(Encoded(coder), expected);
    coder.Decode(reinterpret_cast<const BYTE*>(coder.GetEncoded()), coder.GetEncodedLength());
    EXPECT_EQ(Decoded(coder), "Many hands make light work.");
    coder.Decode(coder.GetDecoded(), 4);  // "Many" read as Base64 text
    EXPECT_EQ(Encoded(coder), "Many");
    EXPECT_EQ(coder.GetDecodedLength(), 3u);
}

TEST(Base64Coder, RandomRoundTripsMatchOpenSsl) {
    CBase64Coder coder;  // one coder throughout, so buffers are reused at every size
    for (int round = 0; round < 300; ++round) {
        std::size_t n = static_cast<std::size_t>(round * round) % 9000;
        std::vector<BYTE> data = RandomBytes(n);
        coder.Encode(data.data(), static_cast<DWORD>(n));
        std::string text = Encoded(coder);
        ASSERT_EQ(text, OpenSslEncode(data)) << n;

        std::vector<BYTE> fromOpenSsl(text.size() + 1);
        int m = EVP_DecodeBlock(fromOpenSsl.data(), reinterpret_cast<const BYTE*>(text.data()),
                                static_cast<int>(text.size()));
        ASSERT_GE(m, 0);
        coder.Decode(text.c_str());
        ASSERT_EQ(coder.GetDecodedLength(), n);
        // OpenSSL keeps the padding's zero bytes in its count; the data before them agrees.
        if (n) {
            ASSERT_EQ(std::memcmp(coder.GetDecoded(), fromOpenSsl.data(), n), 0);
            EXPECT_EQ(std::memcmp(coder.GetDecoded(), data.data(), n), 0);
        }
    }
}

TEST(Base64Coder, MalformedTextOfAnyLengthDecodesByTheRules) {
    // Long runs of unusual characters reach the block-wise paths, not only the last group.
    const std::string pool =
        "ABCXYZabcxyz0189+/==\xC1\xDA\xE1\xFA\xB0\xB9\xAB\xAF\xBD\xBD*-.\x01\x06\x0E\x7F\x80\xFF"
        " \t\r\n\v\f\a\b";
    std::vector<BYTE> random = RandomBytes(200000);
    std::size_t r = 0;
    CBase64Coder coder;
    for (int round = 0; round < 400; ++round) {
        std::size_t n = random[r++] * 3u % 700u;
        std::string text;
        for (std::size_t i = 0; i < n; ++i) {
            // Mostly alphabet characters, so that whole blocks without "=" occur too.
            BYTE pick = random[r++ % random.size()];
            text += pick < 200 ? static_cast<char>("QUJD"[pick % 4]) : pool[pick % pool.size()];
        }
        coder.Decode(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
        ASSERT_EQ(Decoded(coder), vktest::ReferenceBase64Decode(text)) << round;
        ASSERT_TRUE(ZeroFrom(coder.GetDecoded(), coder.GetDecodedLength(), kLeastCapacity));
    }
    // Every byte value in every place of a long block.
    for (int c = 0; c < 256; ++c) {
        for (std::size_t place : {0u, 1u, 2u, 3u, 17u, 30u, 31u, 33u}) {
            std::string text(64, 'g');
            text[place] = static_cast<char>(c);
            ASSERT_EQ(DecodeText(text), vktest::ReferenceBase64Decode(text))
                << c << " at " << place;
        }
    }
}
