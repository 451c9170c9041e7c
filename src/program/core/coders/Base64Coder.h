// Base64 (RFC 4648 alphabet, "=" padding) between bytes and one unbroken line of text.
//
// The coder keeps two growable buffers, the binary side ("decoded") and the text side
// ("encoded"). After Encode or Decode both hold the call's data: the input and the result.
// Buffers grow in steps of 4096 bytes, are reused across calls, and are zero beyond their
// valid length, so the encoded result can be read as a NUL-terminated narrow text. A result
// stays valid until the next call on the same coder.
//
// Decoding rejects nothing: white space (bytes 7 to 13 and 32) is dropped, a byte with the
// top bit set decodes like its lower seven bits, a character outside the alphabet counts
// as 62, "=" counts as 63 in the first two places of a group and as padding (0, one byte
// less) in the last two, and a short final group decodes as if it had been padded.
#pragma once

#include <cstdlib>
#include <memory>

#include "platform/WinTypes.h"

namespace SCODERS {

class CBase64Coder {
public:
    CBase64Coder() = default;
    virtual ~CBase64Coder();
    CBase64Coder(const CBase64Coder&) = delete;
    CBase64Coder& operator=(const CBase64Coder&) = delete;

    // Encodes the bytes of a NUL-terminated text without the terminator; null does nothing.
    virtual void Encode(const char* text);
    virtual void Encode(const BYTE* bytes, DWORD length);
    // Decodes a NUL-terminated text; null does nothing.
    virtual void Decode(const char* text);
    virtual void Decode(const BYTE* bytes, DWORD length);

    virtual const BYTE* GetDecoded() const { return m_decoded.get(); }
    virtual const char* GetEncoded() const {
        return reinterpret_cast<const char*>(m_encoded.get());
    }
    virtual DWORD GetDecodedLength() const { return m_decodedLength; }
    virtual DWORD GetEncodedLength() const { return m_encodedLength; }

protected:
    // Three bytes (or fewer, size 1 or 2) to four characters, or four values to three bytes.
    struct Group {
        BYTE data[4];
        BYTE size;
    };

    // Makes room for size bytes (capacity (size / 4096 + 1) * 4096 when it must grow),
    // zero-fills the whole buffer and sets the length to 0.
    void ReserveEncoded(DWORD size);
    void ReserveDecoded(DWORD size);
    // Copies the text without white space into the encoded buffer.
    void LoadEncoded(const BYTE* bytes, DWORD length);
    void LoadDecoded(const BYTE* bytes, DWORD length);

    static void EncodeGroup(const Group& group, BYTE* destination);
    static void DecodeGroup(const Group& group, BYTE* destination);
    static void SplitToSextets(BYTE* destination, const BYTE* source);
    static void JoinSextets(BYTE* destination, const BYTE* source);
    static bool IsSkippedChar(BYTE b) { return (b >= 7 && b <= 13) || b == 32; }

private:
    // Small buffers come from the heap, large ones straight from the system (VirtualAlloc).
    struct BufferRelease {
        bool mapped;
        void operator()(BYTE* p) const;
    };
    using Buffer = std::unique_ptr<BYTE, BufferRelease>;
    static Buffer AllocateZeroed(std::size_t capacity);

    // One side's buffer: `dirty` bounds the bytes that may be non-zero, so that zero-filling
    // touches only what earlier calls wrote.
    struct Side {
        Buffer& buffer;
        DWORD& capacity;
        DWORD& length;
        DWORD& dirty;
    };
    Side Encoded() { return {m_encoded, m_encodedCapacity, m_encodedLength, m_dirtyEncoded}; }
    Side Decoded() { return {m_decoded, m_decodedCapacity, m_decodedLength, m_dirtyDecoded}; }

    // Makes room for size bytes without clearing; the caller writes and then calls Finish.
    static BYTE* Prepare(Side side, std::size_t size);
    // Sets the length and zeroes everything beyond it up to `written`, the end of all writes.
    static void Finish(Side side, DWORD length, std::size_t written);
    static void Reserve(Side side, DWORD size);

    // Whole groups of three bytes to characters; answers the characters written.
    static std::size_t EncodeRun(const BYTE* in, std::size_t n, BYTE* out);
    // Copies the bytes that are not white space; answers how many were kept.
    static std::size_t FilterRun(const BYTE* in, std::size_t n, BYTE* out);
    // Decodes `groups` groups of four characters at out + *length, advancing *length. Each
    // group may store bytes beyond its three (at most 32 beyond the data).
    static void DecodeRun(const BYTE* in, std::size_t groups, BYTE* out, std::size_t* length);
    static void DecodeRunBytes(const BYTE* in, std::size_t groups, BYTE* out, std::size_t* length);

    Buffer m_decoded;
    Buffer m_encoded;
    DWORD m_decodedCapacity = 0;
    DWORD m_encodedCapacity = 0;
    DWORD m_decodedLength = 0;
    DWORD m_encodedLength = 0;
    DWORD m_dirtyDecoded = 0;
    DWORD m_dirtyEncoded = 0;
};

}  // namespace SCODERS
