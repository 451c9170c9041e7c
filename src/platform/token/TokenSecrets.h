// The token's secrets: the PIN verifier, the token key that protects private
// keys, and its wrapping under a key derived from the PIN. Private key
// material only ever leaves this file sealed (AES-256-GCM).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vkstore {

// Bytes that are wiped when they go.
class SecretBytes {
public:
    SecretBytes() = default;
    explicit SecretBytes(std::size_t size) : m_bytes(size) {}
    SecretBytes(const std::uint8_t* data, std::size_t size) : m_bytes(data, data + size) {}
    SecretBytes(const SecretBytes&) = default;
    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes other) noexcept;
    ~SecretBytes();

    std::uint8_t* Data() { return m_bytes.data(); }
    const std::uint8_t* Data() const { return m_bytes.data(); }
    std::size_t Size() const { return m_bytes.size(); }
    bool Empty() const { return m_bytes.empty(); }
    void Resize(std::size_t size);

private:
    std::vector<std::uint8_t> m_bytes;
};

using Bytes = std::vector<std::uint8_t>;

// What deriving a key from a PIN costs with scrypt: N = 2^log2N, block size r, parallelism p.
// The default takes 64 MiB and a fifth of a second or so for every guess.
struct PinCost {
    std::uint8_t log2N = 16;
    std::uint32_t r = 8;
    std::uint32_t p = 1;
    bool operator==(const PinCost&) const = default;
};

enum class PinKdf {
    Pbkdf2Sha256,  // tokens made before scrypt: two derivations of `iterations` rounds
    Scrypt,        // one derivation of 64 bytes, salted with both salts: verifier, wrapping key
};

// What the store keeps of a PIN: never the PIN itself.
struct PinRecord {
    Bytes verifierSalt;
    Bytes verifier;
    Bytes wrapSalt;
    Bytes wrappedTokenKey;  // nonce, cipher text and tag
    PinKdf kdf = PinKdf::Scrypt;
    std::uint32_t iterations = 0;  // PBKDF2 only
    PinCost cost;                  // scrypt only
    bool operator==(const PinRecord&) const = default;
};

class TokenSecrets {
public:
    static constexpr std::size_t kKeySize = 32;

    // A fresh random token key.
    static SecretBytes NewTokenKey();
    // The record (scrypt at that cost) that lets this PIN unwrap the given token key.
    static PinRecord MakePinRecord(std::string_view pin, const SecretBytes& tokenKey,
                                   const PinCost& cost);
    // Checks the PIN in constant time and, when it matches, answers the token key; one key
    // derivation. A cost beyond what any token asks (more than 1 GiB) is refused as damaged.
    static std::optional<SecretBytes> Unlock(std::string_view pin, const PinRecord& record);

    // Seals plain bytes under the token key; the result carries nonce and tag.
    static Bytes Seal(const SecretBytes& tokenKey, const SecretBytes& plain);
    // Opens sealed bytes; nothing when the key is wrong or the bytes were changed.
    static std::optional<SecretBytes> Open(const SecretBytes& tokenKey, const Bytes& sealed);

    static Bytes RandomBytes(std::size_t size);
};

}  // namespace vkstore
