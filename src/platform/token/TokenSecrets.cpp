#include "platform/token/TokenSecrets.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>
#include <stdexcept>

#include "platform/token/StoreError.h"

namespace vkstore {

namespace {

constexpr std::size_t kNonceSize = 12;
constexpr std::size_t kTagSize = 16;
constexpr std::size_t kSaltSize = 16;

struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

constexpr std::uint64_t kMaxScryptMemory = std::uint64_t{1} << 30;

SecretBytes DeriveKey(std::string_view pin, const Bytes& salt, std::uint32_t iterations) {
    SecretBytes key(TokenSecrets::kKeySize);
    if (PKCS5_PBKDF2_HMAC(pin.data(), static_cast<int>(pin.size()), salt.data(),
                          static_cast<int>(salt.size()), static_cast<int>(iterations), EVP_sha256(),
                          static_cast<int>(key.Size()), key.Data()) != 1) {
        throw std::runtime_error("PBKDF2 failed");
    }
    return key;
}

// What scrypt's work area takes at that cost; 0 when the cost is out of bounds.
std::uint64_t ScryptMemory(const PinCost& cost) {
    if (cost.log2N < 1 || cost.log2N > 24 || cost.r < 1 || cost.r > 64 || cost.p < 1 ||
        cost.p > 64) {
        return 0;
    }
    const std::uint64_t memory = 128ull * cost.r * ((std::uint64_t{1} << cost.log2N) + cost.p + 2);
    return memory <= kMaxScryptMemory ? memory : 0;
}

// The verifier and then the wrapping key, from one scrypt run.
SecretBytes DeriveScrypt(std::string_view pin, const PinRecord& record) {
    const std::uint64_t memory = ScryptMemory(record.cost);
    if (memory == 0) {
        throw StoreError(StoreFailure::Damaged, "the PIN record asks for an unbounded derivation");
    }
    Bytes salt = record.verifierSalt;
    salt.insert(salt.end(), record.wrapSalt.begin(), record.wrapSalt.end());
    SecretBytes both(2 * TokenSecrets::kKeySize);
    if (EVP_PBE_scrypt(pin.data(), pin.size(), salt.data(), salt.size(),
                       std::uint64_t{1} << record.cost.log2N, record.cost.r, record.cost.p,
                       memory + (1 << 20), both.Data(), both.Size()) != 1) {
        throw std::runtime_error("scrypt failed");
    }
    return both;
}

SecretBytes Half(const SecretBytes& both, std::size_t index) {
    return SecretBytes(both.Data() + index * TokenSecrets::kKeySize, TokenSecrets::kKeySize);
}

}  // namespace

SecretBytes::SecretBytes(SecretBytes&& other) noexcept : m_bytes(std::move(other.m_bytes)) {
    other.m_bytes.clear();
}

SecretBytes& SecretBytes::operator=(SecretBytes other) noexcept {
    if (!m_bytes.empty()) {
        OPENSSL_cleanse(m_bytes.data(), m_bytes.size());
    }
    m_bytes.swap(other.m_bytes);
    return *this;
}

SecretBytes::~SecretBytes() {
    if (!m_bytes.empty()) {
        OPENSSL_cleanse(m_bytes.data(), m_bytes.size());
    }
}

void SecretBytes::Resize(std::size_t size) {
    if (size < m_bytes.size()) {
        OPENSSL_cleanse(m_bytes.data() + size, m_bytes.size() - size);
        m_bytes.resize(size);
        return;
    }
    // Growing may move the bytes: copy through a wiped buffer.
    SecretBytes bigger(size);
    std::copy(m_bytes.begin(), m_bytes.end(), bigger.m_bytes.begin());
    *this = std::move(bigger);
}

Bytes TokenSecrets::RandomBytes(std::size_t size) {
    Bytes out(size);
    if (RAND_bytes(out.data(), static_cast<int>(size)) != 1) {
        throw std::runtime_error("no random bytes");
    }
    return out;
}

SecretBytes TokenSecrets::NewTokenKey() {
    Bytes random = RandomBytes(kKeySize);
    SecretBytes key(random.data(), random.size());
    OPENSSL_cleanse(random.data(), random.size());
    return key;
}

PinRecord TokenSecrets::MakePinRecord(std::string_view pin, const SecretBytes& tokenKey,
                                      const PinCost& cost) {
    PinRecord record;
    record.kdf = PinKdf::Scrypt;
    record.cost = cost;
    record.verifierSalt = RandomBytes(kSaltSize);
    record.wrapSalt = RandomBytes(kSaltSize);
    const SecretBytes both = DeriveScrypt(pin, record);
    record.verifier.assign(both.Data(), both.Data() + kKeySize);
    record.wrappedTokenKey = Seal(Half(both, 1), tokenKey);
    return record;
}

std::optional<SecretBytes> TokenSecrets::Unlock(std::string_view pin, const PinRecord& record) {
    if (record.verifier.size() != kKeySize) {
        return std::nullopt;
    }
    if (record.kdf == PinKdf::Scrypt) {
        const SecretBytes both = DeriveScrypt(pin, record);
        if (CRYPTO_memcmp(both.Data(), record.verifier.data(), kKeySize) != 0) {
            return std::nullopt;
        }
        return Open(Half(both, 1), record.wrappedTokenKey);
    }
    if (record.iterations == 0) {
        return std::nullopt;
    }
    SecretBytes verifier = DeriveKey(pin, record.verifierSalt, record.iterations);
    if (CRYPTO_memcmp(verifier.Data(), record.verifier.data(), kKeySize) != 0) {
        return std::nullopt;
    }
    return Open(DeriveKey(pin, record.wrapSalt, record.iterations), record.wrappedTokenKey);
}

Bytes TokenSecrets::Seal(const SecretBytes& tokenKey, const SecretBytes& plain) {
    Bytes out = RandomBytes(kNonceSize);
    out.resize(kNonceSize + plain.Size() + kTagSize);
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    int len = 0;
    if (!ctx ||
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, tokenKey.Data(), out.data()) !=
            1 ||
        EVP_EncryptUpdate(ctx.get(), out.data() + kNonceSize, &len, plain.Data(),
                          static_cast<int>(plain.Size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), out.data() + kNonceSize + len, &len) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize,
                            out.data() + kNonceSize + plain.Size()) != 1) {
        throw std::runtime_error("sealing failed");
    }
    return out;
}

std::optional<SecretBytes> TokenSecrets::Open(const SecretBytes& tokenKey, const Bytes& sealed) {
    if (tokenKey.Size() != kKeySize || sealed.size() < kNonceSize + kTagSize) {
        return std::nullopt;
    }
    const std::size_t size = sealed.size() - kNonceSize - kTagSize;
    SecretBytes plain(size);
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    int len = 0;
    Bytes tag(sealed.end() - kTagSize, sealed.end());
    if (!ctx ||
        EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, tokenKey.Data(), sealed.data()) !=
            1 ||
        EVP_DecryptUpdate(ctx.get(), plain.Data(), &len, sealed.data() + kNonceSize,
                          static_cast<int>(size)) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), plain.Data() + len, &len) != 1) {
        return std::nullopt;
    }
    return plain;
}

}  // namespace vkstore
