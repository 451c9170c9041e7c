// Base64 encoding and decoding speed of CBase64Coder against OpenSSL's EVP_EncodeBlock and
// EVP_DecodeBlock, on 1 MiB and 64 MiB of random bytes, best of several repetitions each,
// the two sides interleaved so that both meet the same machine load.
//
// The coder is used as callers use it: one coder whose buffers are reused from call to call,
// and OpenSSL writes into a buffer allocated once. A fresh coder per call (allocation, page
// faults and zero-filling included) and a plain memcpy of the same data, the physical floor,
// are reported before the closing speedup lines.
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "program/core/coders/Base64Coder.h"

namespace {

using bench::BestOf;
using bench::Number;
using bench::Seconds;

volatile unsigned g_sink;

// Best times of two pieces of work run alternately.
std::pair<double, double> BestOfBoth(int reps, const std::function<void()>& ours,
                                     const std::function<void()>& theirs) {
    double a = 1e30;
    double b = 1e30;
    for (int i = 0; i < reps; ++i) {
        a = std::min(a, Seconds(ours));
        b = std::min(b, Seconds(theirs));
    }
    return {a, b};
}

std::string Millis(double seconds) {
    return Number(seconds * 1e3) + " ms";
}

std::string Rate(std::size_t bytes, double seconds) {
    return Number(static_cast<double>(bytes) / seconds / 1e9) + " GB/s";
}

struct Result {
    std::string label;
    double ratio;
};

void Fail(const char* what) {
    std::fprintf(stderr, "bench_base64: %s\n", what);
    std::exit(1);
}

void Measure(std::size_t size, const char* name, int reps, std::vector<Result>& results) {
    std::vector<BYTE> data(size);
    if (RAND_bytes(data.data(), static_cast<int>(size)) != 1) {
        Fail("RAND_bytes failed");
    }
    const std::size_t textSize = 4 * ((size + 2) / 3);
    std::vector<BYTE> text(textSize + 1);
    std::vector<BYTE> back(textSize + 1);
    std::vector<BYTE> copy(textSize + 1);
    SCODERS::CBase64Coder coder;

    // Both sides must agree before they are timed.
    int n = EVP_EncodeBlock(text.data(), data.data(), static_cast<int>(size));
    coder.Encode(data.data(), static_cast<DWORD>(size));
    if (static_cast<std::size_t>(n) != textSize || coder.GetEncodedLength() != textSize ||
        std::memcmp(coder.GetEncoded(), text.data(), textSize) != 0) {
        Fail("encoded texts differ");
    }
    coder.Decode(text.data(), static_cast<DWORD>(textSize));
    if (coder.GetDecodedLength() != size || std::memcmp(coder.GetDecoded(), data.data(), size)) {
        Fail("decoded bytes differ");
    }

    auto [encOurs, encSsl] = BestOfBoth(
        reps,
        [&] {
            coder.Encode(data.data(), static_cast<DWORD>(size));
            g_sink = coder.GetEncoded()[size / 2];
        },
        [&] {
            g_sink = static_cast<unsigned>(
                EVP_EncodeBlock(text.data(), data.data(), static_cast<int>(size)));
        });
    auto [decOurs, decSsl] = BestOfBoth(
        reps,
        [&] {
            coder.Decode(text.data(), static_cast<DWORD>(textSize));
            g_sink = coder.GetDecoded()[size / 2];
        },
        [&] {
            g_sink = static_cast<unsigned>(
                EVP_DecodeBlock(back.data(), text.data(), static_cast<int>(textSize)));
        });

    // The floor: copying the input once, and copying the text once.
    double copyData = BestOf(reps, [&] {
        std::memcpy(copy.data(), data.data(), size);
        g_sink = copy[size / 2];
    });
    double copyText = BestOf(reps, [&] {
        std::memcpy(copy.data(), text.data(), textSize);
        g_sink = copy[size / 2];
    });
    // What clearing every reserved buffer in full on each call would add: the coder clears
    // only what earlier calls wrote, which leaves the same bytes in the buffers.
    auto capacity = [](std::size_t n) { return (n / 4096 + 1) * 4096; };
    std::vector<BYTE> scratch(std::max(capacity(2 * size), 2 * capacity(textSize)));
    double clearEncode = BestOf(reps, [&] {
        std::memset(scratch.data(), 0, capacity(2 * size));
        std::memset(copy.data(), 0, std::min(copy.size(), capacity(size)));
        g_sink = scratch[size / 2] + copy[size / 2];
    });
    double clearDecode = BestOf(reps, [&] {
        std::memset(scratch.data(), 0, 2 * capacity(textSize));
        g_sink = scratch[size / 2];
    });
    // A fresh coder per call: allocation, first touch of the pages and zero-filling.
    int freshReps = std::max(3, reps / 4);
    double encFresh = BestOf(freshReps, [&] {
        SCODERS::CBase64Coder fresh;
        fresh.Encode(data.data(), static_cast<DWORD>(size));
        g_sink = fresh.GetEncoded()[size / 2];
    });
    double decFresh = BestOf(freshReps, [&] {
        SCODERS::CBase64Coder fresh;
        fresh.Decode(text.data(), static_cast<DWORD>(textSize));
        g_sink = fresh.GetDecoded()[size / 2];
    });
    // Text in 64-character lines, as certificate files hold it (OpenSSL's block call does not
    // take line breaks, so this is ours alone).
    std::string lines;
    for (std::size_t i = 0; i < textSize; i += 64) {
        lines.append(reinterpret_cast<const char*>(text.data()) + i,
                     std::min<std::size_t>(64, textSize - i));
        lines += "\r\n";
    }
    double decLines = BestOf(reps, [&] {
        coder.Decode(reinterpret_cast<const BYTE*>(lines.data()), static_cast<DWORD>(lines.size()));
        g_sink = coder.GetDecoded()[size / 2];
    });

    std::printf("%s encode: ours %s (%s), openssl %s (%s), fresh coder %s\n", name,
                Millis(encOurs).c_str(), Rate(size, encOurs).c_str(), Millis(encSsl).c_str(),
                Rate(size, encSsl).c_str(), Millis(encFresh).c_str());
    std::printf(
        "%s decode: ours %s (%s of text), openssl %s (%s), fresh coder %s, "
        "64-char lines %s\n",
        name, Millis(decOurs).c_str(), Rate(textSize, decOurs).c_str(), Millis(decSsl).c_str(),
        Rate(textSize, decSsl).c_str(), Millis(decFresh).c_str(), Millis(decLines).c_str());
    std::printf(
        "%s memcpy floor: data %s, text %s; encode takes %s copies of the data, "
        "decode %s copies of the text\n",
        name, Millis(copyData).c_str(), Millis(copyText).c_str(),
        Number(encOurs / copyData).c_str(), Number(decOurs / copyText).c_str());
    std::printf(
        "%s full clearing of the reserved buffers on every call would add: encode %s, "
        "decode %s\n",
        name, Millis(clearEncode).c_str(), Millis(clearDecode).c_str());
    results.push_back({std::string("encode ") + name + " vs openssl", encSsl / encOurs});
    results.push_back({std::string("decode ") + name + " vs openssl", decSsl / decOurs});
}

}  // namespace

int main() {
    std::vector<Result> results;
    Measure(std::size_t{1} << 20, "1MiB", 60, results);
    Measure(std::size_t{64} << 20, "64MiB", 8, results);
    // The closing lines in the project's benchmark format: encode 1MiB, decode 1MiB,
    // encode 64MiB, decode 64MiB.
    for (const Result& r : results) {
        std::printf("speedup %s: %s\n", r.label.c_str(), Number(r.ratio).c_str());
    }
    return 0;
}
