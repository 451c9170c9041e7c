#include "program/core/coders/Base64Coder.h"

#include "platform/kernel/VirtualMemory.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace SCODERS {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr BYTE kPad = '=';
constexpr BYTE kUnknown = 254;
constexpr BYTE kPadValue = 255;
constexpr std::size_t kStep = 4096;
// Work unit of the fused copy-and-code loops: a multiple of 3 and of 4 that stays in L2.
constexpr std::size_t kBlock = 3 * 4 * 4096;
// From this capacity on, buffers are mapped from the system, where huge pages can back them.
constexpr std::size_t kLargeBuffer = std::size_t{4} << 20;
// Bytes the decoding loops may store beyond the decoded data (cleared afterwards).
constexpr std::size_t kSpill = 32;

// Value of each byte: 0 to 63 for the alphabet with or without the top bit, 255 for "=",
// 254 for everything else. Built at compile time, so no thread fills it at run time.
constexpr std::array<BYTE, 256> MakeValues() {
    std::array<BYTE, 256> v{};
    for (auto& e : v) {
        e = kUnknown;
    }
    for (int i = 0; i < 64; ++i) {
        auto c = static_cast<unsigned char>(kAlphabet[i]);
        v[c] = static_cast<BYTE>(i);
        v[c + 128] = static_cast<BYTE>(i);
    }
    v[kPad] = kPadValue;
    v[kPad + 128] = kPadValue;
    return v;
}
constexpr std::array<BYTE, 256> kValues = MakeValues();

// Two characters for each 12-bit value, the first one in the low byte.
constexpr std::array<std::uint16_t, 4096> MakePairs() {
    std::array<std::uint16_t, 4096> t{};
    for (int i = 0; i < 4096; ++i) {
        auto hi = static_cast<unsigned char>(kAlphabet[i >> 6]);
        auto lo = static_cast<unsigned char>(kAlphabet[i & 63]);
        t[i] = static_cast<std::uint16_t>(hi | (lo << 8));
    }
    return t;
}
constexpr std::array<std::uint16_t, 4096> kPairs = MakePairs();

// For the character in each place of a group, its bits already moved to where they land in
// the three output bytes (byte 0 lowest). "=" sets bit 24 so that its group takes the slow
// path; other characters use the low six bits of their value, as the byte arithmetic does.
constexpr std::uint32_t kSpecial = 1u << 24;
constexpr std::array<std::uint32_t, 256> MakePlace(int place) {
    std::array<std::uint32_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        if (kValues[c] == kPadValue) {
            t[c] = kSpecial;
            continue;
        }
        std::uint32_t v = kValues[c] & 63u;
        switch (place) {
            case 0:
                t[c] = v << 2;
                break;
            case 1:
                t[c] = (v >> 4) | (((v & 15u) << 4) << 8);
                break;
            case 2:
                t[c] = ((v >> 2) << 8) | (((v & 3u) << 6) << 16);
                break;
            default:
                t[c] = v << 16;
                break;
        }
    }
    return t;
}
constexpr std::array<std::uint32_t, 256> kPlace0 = MakePlace(0);
constexpr std::array<std::uint32_t, 256> kPlace1 = MakePlace(1);
constexpr std::array<std::uint32_t, 256> kPlace2 = MakePlace(2);
constexpr std::array<std::uint32_t, 256> kPlace3 = MakePlace(3);

std::size_t CapacityFor(std::size_t size) {
    std::size_t capacity = (size / kStep + 1) * kStep;
    if (capacity > std::numeric_limits<DWORD>::max()) {
        throw std::bad_alloc();
    }
    return capacity;
}

inline std::uint64_t LoadBigEndian64(const BYTE* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return __builtin_bswap64(w);
}

inline bool Overlaps(const BYTE* p, std::size_t n, const BYTE* buffer, std::size_t capacity) {
    if (!buffer || n == 0) {
        return false;
    }
    auto a = reinterpret_cast<std::uintptr_t>(p);
    auto b = reinterpret_cast<std::uintptr_t>(buffer);
    return a < b + capacity && b < a + n;
}

// True when one of the eight bytes of w is below 33, i.e. may be white space.
inline bool MayHoldSkipped(std::uint64_t w) {
    constexpr std::uint64_t ones = ~std::uint64_t{0} / 255;
    return ((w - ones * 33) & ~w & (ones * 128)) != 0;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VK_BASE64_AVX2 1

// Decodes whole blocks of 32 characters (8 groups) into 24 bytes each with AVX2, storing 32
// bytes per block (the next block overwrites the extra 8). Stops before a block holding "="
// (with or without the top bit), which the byte-wise code takes. Answers the blocks done.
__attribute__((target("avx2"))) std::size_t DecodeBlocksAvx2(const BYTE* in, std::size_t blocks,
                                                             BYTE* out) {
    const __m256i low7 = _mm256_set1_epi8(0x7F);
    const __m256i pad = _mm256_set1_epi8('=');
    const __m256i other = _mm256_set1_epi8(62);
    const __m256i pack = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2,
                                          1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    std::size_t b = 0;
    for (; b < blocks; ++b) {
        __m256i c = _mm256_and_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32 * b)), low7);
        if (!_mm256_testz_si256(_mm256_cmpeq_epi8(c, pad), _mm256_cmpeq_epi8(c, pad))) {
            break;
        }
        // Alphabet ranges of the low seven bits; everything else counts as 62.
        __m256i upper = _mm256_and_si256(_mm256_cmpgt_epi8(c, _mm256_set1_epi8('A' - 1)),
                                         _mm256_cmpgt_epi8(_mm256_set1_epi8('Z' + 1), c));
        __m256i lower = _mm256_and_si256(_mm256_cmpgt_epi8(c, _mm256_set1_epi8('a' - 1)),
                                         _mm256_cmpgt_epi8(_mm256_set1_epi8('z' + 1), c));
        __m256i digit = _mm256_and_si256(_mm256_cmpgt_epi8(c, _mm256_set1_epi8('0' - 1)),
                                         _mm256_cmpgt_epi8(_mm256_set1_epi8('9' + 1), c));
        __m256i slash = _mm256_cmpeq_epi8(c, _mm256_set1_epi8('/'));
        __m256i shift =
            _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(upper, _mm256_set1_epi8(-65)),
                                            _mm256_and_si256(lower, _mm256_set1_epi8(-71))),
                            _mm256_or_si256(_mm256_and_si256(digit, _mm256_set1_epi8(4)),
                                            _mm256_and_si256(slash, _mm256_set1_epi8(16))));
        __m256i known =
            _mm256_or_si256(_mm256_or_si256(upper, lower), _mm256_or_si256(digit, slash));
        __m256i values = _mm256_blendv_epi8(other, _mm256_add_epi8(c, shift), known);
        // Four six-bit values to one 24-bit number per 32-bit lane, then its bytes in order.
        __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
        __m256i words = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
        __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(words, pack), lanes);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 24 * b), bytes);
    }
    return b;
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

CBase64Coder::~CBase64Coder() = default;

void CBase64Coder::BufferRelease::operator()(BYTE* p) const {
    if (mapped) {
        VirtualFree(p, 0, MEM_RELEASE);
    } else {
        std::free(p);
    }
}

CBase64Coder::Buffer CBase64Coder::AllocateZeroed(std::size_t capacity) {
    if (capacity >= kLargeBuffer) {
        if (void* p = VirtualAlloc(nullptr, capacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
            return Buffer(static_cast<BYTE*>(p), BufferRelease{true});
        }
    }
    auto* p = static_cast<BYTE*>(std::calloc(capacity, 1));
    if (!p) {
        throw std::bad_alloc();
    }
    return Buffer(p, BufferRelease{false});
}

BYTE* CBase64Coder::Prepare(Side side, std::size_t size) {
    std::size_t capacity = CapacityFor(size);
    if (size > side.capacity || !side.buffer) {
        side.buffer.reset();
        side.capacity = 0;
        side.length = 0;
        side.dirty = 0;
        side.buffer = AllocateZeroed(capacity);
        side.capacity = static_cast<DWORD>(capacity);
    }
    return side.buffer.get();
}

void CBase64Coder::Finish(Side side, DWORD length, std::size_t written) {
    std::size_t end =
        std::min<std::size_t>(std::max<std::size_t>(side.dirty, written), side.capacity);
    if (end > length) {
        std::memset(side.buffer.get() + length, 0, end - length);
    }
    side.length = length;
    side.dirty = length;
}

void CBase64Coder::Reserve(Side side, DWORD size) {
    Prepare(side, size);
    // Everything from `dirty` on is zero already, so this clears the whole buffer.
    std::memset(side.buffer.get(), 0, side.dirty);
    side.dirty = 0;
    side.length = 0;
}

void CBase64Coder::ReserveEncoded(DWORD size) {
    Reserve(Encoded(), size);
}

void CBase64Coder::ReserveDecoded(DWORD size) {
    Reserve(Decoded(), size);
}

void CBase64Coder::LoadDecoded(const BYTE* bytes, DWORD length) {
    BYTE* out = Prepare(Decoded(), length);
    if (length) {
        std::memmove(out, bytes, length);
    }
    Finish(Decoded(), length, length);
}

void CBase64Coder::LoadEncoded(const BYTE* bytes, DWORD length) {
    BYTE* out = Prepare(Encoded(), length);
    std::size_t kept = FilterRun(bytes, length, out);
    Finish(Encoded(), static_cast<DWORD>(kept), kept);
}

std::size_t CBase64Coder::FilterRun(const BYTE* in, std::size_t n, BYTE* out) {
    std::size_t kept = 0;
    std::size_t runStart = 0;
    std::size_t i = 0;
    // Runs between white space are moved whole; words without a byte below 33 are passed
    // over eight bytes at a time. Moving (not copying) keeps in-place filtering sound.
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, in + i, sizeof w);
            if (!MayHoldSkipped(w)) {
                i += 8;
                continue;
            }
        }
        std::size_t stop = std::min(n, i + 8);
        for (; i < stop; ++i) {
            if (IsSkippedChar(in[i])) {
                std::memmove(out + kept, in + runStart, i - runStart);
                kept += i - runStart;
                runStart = i + 1;
            }
        }
    }
    std::memmove(out + kept, in + runStart, n - runStart);
    return kept + (n - runStart);
}

void CBase64Coder::SplitToSextets(BYTE* destination, const BYTE* source) {
    destination[0] = static_cast<BYTE>(source[0] >> 2);
    destination[1] = static_cast<BYTE>(((source[0] & 0x03) << 4) | (source[1] >> 4));
    destination[2] = static_cast<BYTE>(((source[1] & 0x0F) << 2) | (source[2] >> 6));
    destination[3] = static_cast<BYTE>(source[2] & 0x3F);
}

void CBase64Coder::JoinSextets(BYTE* destination, const BYTE* source) {
    destination[0] = static_cast<BYTE>((source[0] << 2) | ((source[1] >> 4) & 0x03));
    destination[1] = static_cast<BYTE>((source[1] << 4) | ((source[2] >> 2) & 0x0F));
    destination[2] = static_cast<BYTE>((source[2] << 6) | (source[3] & 0x3F));
}

void CBase64Coder::EncodeGroup(const Group& group, BYTE* destination) {
    BYTE sextets[4];
    SplitToSextets(sextets, group.data);
    for (int i = 0; i < 4; ++i) {
        destination[i] = static_cast<BYTE>(kAlphabet[sextets[i]]);
    }
    if (group.size == 1) {
        destination[2] = kPad;
    }
    if (group.size <= 2) {
        destination[3] = kPad;
    }
}

void CBase64Coder::DecodeGroup(const Group& group, BYTE* destination) {
    JoinSextets(destination, group.data);
}

void CBase64Coder::Encode(const char* text) {
    if (text) {
        Encode(reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text)));
    }
}

void CBase64Coder::Decode(const char* text) {
    if (text) {
        Decode(reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text)));
    }
}

void CBase64Coder::Encode(const BYTE* bytes, DWORD length) {
    if (!bytes && length) {
        return;
    }
    // The encoded side is reserved for twice the input; refuse before touching anything.
    CapacityFor(std::size_t{2} * length);
    // Input taken from this coder's own buffers is copied first: reserving clears them.
    if (Overlaps(bytes, length, m_decoded.get(), m_decodedCapacity) ||
        Overlaps(bytes, length, m_encoded.get(), m_encodedCapacity)) {
        std::vector<BYTE> copy(bytes, bytes + length);
        Encode(copy.data(), length);
        return;
    }
    // LoadDecoded and the encoding of its result, block by block, so that the copy is still
    // in the cache when it is encoded.
    const std::size_t n = length;
    BYTE* data = Prepare(Decoded(), n);
    BYTE* out = Prepare(Encoded(), std::size_t{2} * n);
    std::size_t produced = 0;
    std::size_t whole = n - n % 3;
    for (std::size_t at = 0; at < whole; at += kBlock) {
        std::size_t len = std::min(kBlock, whole - at);
        std::memcpy(data + at, bytes + at, len);
        produced += EncodeRun(data + at, len, out + produced);
    }
    if (whole < n) {
        Group group{};
        group.size = static_cast<BYTE>(n - whole);
        std::memcpy(data + whole, bytes + whole, n - whole);
        std::memcpy(group.data, data + whole, n - whole);
        EncodeGroup(group, out + produced);
        produced += 4;
    }
    Finish(Decoded(), length, n);
    Finish(Encoded(), static_cast<DWORD>(produced), produced);
}

std::size_t CBase64Coder::EncodeRun(const BYTE* in, std::size_t n, BYTE* out) {
    std::size_t i = 0;
    BYTE* d = out;
    // Six bytes to eight characters per half step, each read as one 64-bit word.
    while (i + 14 <= n) {
        std::uint64_t a = LoadBigEndian64(in + i);
        std::uint64_t b = LoadBigEndian64(in + i + 6);
        std::uint64_t oa = std::uint64_t{kPairs[(a >> 52) & 0xFFF]} |
                           (std::uint64_t{kPairs[(a >> 40) & 0xFFF]} << 16) |
                           (std::uint64_t{kPairs[(a >> 28) & 0xFFF]} << 32) |
                           (std::uint64_t{kPairs[(a >> 16) & 0xFFF]} << 48);
        std::uint64_t ob = std::uint64_t{kPairs[(b >> 52) & 0xFFF]} |
                           (std::uint64_t{kPairs[(b >> 40) & 0xFFF]} << 16) |
                           (std::uint64_t{kPairs[(b >> 28) & 0xFFF]} << 32) |
                           (std::uint64_t{kPairs[(b >> 16) & 0xFFF]} << 48);
        std::memcpy(d, &oa, 8);
        std::memcpy(d + 8, &ob, 8);
        d += 16;
        i += 12;
    }
    for (; i + 3 <= n; i += 3) {
        std::uint32_t x =
            (std::uint32_t{in[i]} << 16) | (std::uint32_t{in[i + 1]} << 8) | in[i + 2];
        std::uint32_t o = kPairs[x >> 12] | (std::uint32_t{kPairs[x & 0xFFF]} << 16);
        std::memcpy(d, &o, 4);
        d += 4;
    }
    return static_cast<std::size_t>(d - out);
}

void CBase64Coder::Decode(const BYTE* bytes, DWORD length) {
    if (!bytes && length) {
        return;
    }
    if (Overlaps(bytes, length, m_decoded.get(), m_decodedCapacity) ||
        Overlaps(bytes, length, m_encoded.get(), m_encodedCapacity)) {
        std::vector<BYTE> copy(bytes, bytes + length);
        Decode(copy.data(), length);
        return;
    }
    // LoadEncoded and the decoding of its result, block by block, so that the filtered text
    // is still in the cache when it is decoded. The decoded side is reserved for the text as
    // given, which white space can only make longer than the text that is kept.
    const std::size_t n = length;
    BYTE* text = Prepare(Encoded(), n);
    BYTE* out = Prepare(Decoded(), n);
    std::size_t kept = 0;
    std::size_t done = 0;  // characters decoded so far, a multiple of four
    std::size_t len = 0;
    for (std::size_t at = 0; at < n; at += kBlock) {
        kept += FilterRun(bytes + at, std::min(kBlock, n - at), text + kept);
        std::size_t groups = (kept - done) / 4;
        DecodeRun(text + done, groups, out, &len);
        done += groups * 4;
    }
    if (done < kept) {
        // Text without padding: the missing characters count as zero values.
        std::size_t rest = kept - done;
        Group group{};
        for (std::size_t k = 0; k < rest; ++k) {
            BYTE v = kValues[text[done + k]];
            group.data[k] = v == kPadValue ? 0 : v;
        }
        group.size = static_cast<BYTE>(rest);
        DecodeGroup(group, out + len);
        len += rest - 1;
    }
    Finish(Encoded(), static_cast<DWORD>(kept), kept);
    // The last group may have left bits of a short or padded group beyond the data; they
    // are cleared so that the buffer is zero beyond the decoded length.
    Finish(Decoded(), static_cast<DWORD>(len), len + kSpill);
}

void CBase64Coder::DecodeRun(const BYTE* s, std::size_t groups, BYTE* out, std::size_t* length) {
    std::size_t len = *length;
#ifdef VK_BASE64_AVX2
    // Blocks without "=" go eight groups at a time; a block with one goes byte-wise below,
    // then the wide path resumes.
    while (groups >= 8 && HasAvx2()) {
        std::size_t blocks = DecodeBlocksAvx2(s, groups / 8, out + len);
        s += 32 * blocks;
        len += 24 * blocks;
        groups -= 8 * blocks;
        if (groups < 8) {
            break;
        }
        *length = len;
        DecodeRunBytes(s, 8, out, length);
        len = *length;
        s += 32;
        groups -= 8;
    }
    *length = len;
#endif
    DecodeRunBytes(s, groups, out, length);
}

void CBase64Coder::DecodeRunBytes(const BYTE* s, std::size_t groups, BYTE* out,
                                  std::size_t* length) {
    std::size_t len = *length;
    // Four characters to three bytes per step, stored as one 32-bit word whose fourth byte
    // the next step overwrites. The capacity exceeds the text length, so the word fits.
    for (const BYTE* end = s + 4 * groups; s < end; s += 4) {
        std::uint32_t w = kPlace0[s[0]] | kPlace1[s[1]] | kPlace2[s[2]] | kPlace3[s[3]];
        if (w < kSpecial) [[likely]] {
            std::memcpy(out + len, &w, 4);
            len += 3;
            continue;
        }
        // A group with "=": padding in the last two places is 0 and shortens the data.
        Group group{};
        int pads = 0;
        for (int k = 0; k < 4; ++k) {
            BYTE v = kValues[s[k]];
            if (k >= 2 && v == kPadValue) {
                v = 0;
                ++pads;
            }
            group.data[k] = v;
        }
        group.size = 4;
        DecodeGroup(group, out + len);
        len += 3 - static_cast<std::size_t>(pads);
    }
    *length = len;
}

}  // namespace SCODERS
