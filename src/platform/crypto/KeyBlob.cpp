#include "platform/crypto/KeyBlob.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <cstring>

#include "platform/crypto/OpenSslInit.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::crypto {
namespace {

struct BnFree {
    void operator()(BIGNUM* bn) const { BN_clear_free(bn); }
};
using BnPtr = std::unique_ptr<BIGNUM, BnFree>;

struct ParamBldFree {
    void operator()(OSSL_PARAM_BLD* b) const { OSSL_PARAM_BLD_free(b); }
};
struct ParamFree {
    void operator()(OSSL_PARAM* p) const { OSSL_PARAM_free(p); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX* c) const { EVP_PKEY_CTX_free(c); }
};
struct BnCtxFree {
    void operator()(BN_CTX* c) const { BN_CTX_free(c); }
};

constexpr std::size_t kHeaderSize = sizeof(BLOBHEADER) + sizeof(RSAPUBKEY);

std::size_t FullLen(DWORD bits) {
    return (bits + 7) / 8;
}
std::size_t HalfLen(DWORD bits) {
    return (bits + 15) / 16;
}

bool IsRsaAlg(ALG_ID alg) {
    return alg == CALG_RSA_KEYX || alg == CALG_RSA_SIGN;
}

DWORD ReadDword(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 |
           static_cast<DWORD>(p[2]) << 16 | static_cast<DWORD>(p[3]) << 24;
}

void WriteDword(BYTE* p, DWORD v) {
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
    p[3] = static_cast<BYTE>(v >> 24);
}

void WriteHeader(BYTE* p, BYTE type, ALG_ID alg, DWORD magic, DWORD bits, DWORD exponent) {
    p[0] = type;
    p[1] = CUR_BLOB_VERSION;
    p[2] = 0;
    p[3] = 0;
    WriteDword(p + 4, alg);
    WriteDword(p + 8, magic);
    WriteDword(p + 12, bits);
    WriteDword(p + 16, exponent);
}

BnPtr GetBn(const EVP_PKEY* key, const char* name) {
    BIGNUM* bn = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &bn) != 1) {
        return nullptr;
    }
    return BnPtr(bn);
}

// Writes bn little-endian into exactly len bytes; false when it does not fit.
bool PutLe(const BIGNUM* bn, BYTE* out, std::size_t len) {
    return BN_bn2lebinpad(bn, out, static_cast<int>(len)) == static_cast<int>(len);
}

bool IsRsa(const EVP_PKEY* key) {
    return key != nullptr && EVP_PKEY_get_base_id(key) == EVP_PKEY_RSA;
}

struct PublicParts {
    BnPtr n;
    BnPtr e;
    DWORD bits = 0;
    DWORD exponent = 0;
};

std::optional<PublicParts> GetPublicParts(const EVP_PKEY* key) {
    if (!IsRsa(key)) {
        return std::nullopt;
    }
    PublicParts parts;
    parts.n = GetBn(key, OSSL_PKEY_PARAM_RSA_N);
    parts.e = GetBn(key, OSSL_PKEY_PARAM_RSA_E);
    if (!parts.n || !parts.e || BN_is_zero(parts.n.get()) || BN_num_bits(parts.e.get()) > 32) {
        return std::nullopt;
    }
    parts.bits = static_cast<DWORD>(BN_num_bits(parts.n.get()));
    parts.exponent = static_cast<DWORD>(BN_get_word(parts.e.get()));
    return parts;
}

BnPtr LeToBn(const BYTE* p, std::size_t len) {
    return BnPtr(BN_lebin2bn(p, static_cast<int>(len), nullptr));
}

EvpPkeyPtr MakeRsaKey(const BIGNUM* n, const BIGNUM* e, const BIGNUM* const* priv) {
    std::unique_ptr<OSSL_PARAM_BLD, ParamBldFree> bld(OSSL_PARAM_BLD_new());
    if (!bld || !OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_N, n) ||
        !OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_E, e)) {
        return nullptr;
    }
    if (priv != nullptr) {
        static const char* const kNames[] = {
            OSSL_PKEY_PARAM_RSA_FACTOR1,      OSSL_PKEY_PARAM_RSA_FACTOR2,
            OSSL_PKEY_PARAM_RSA_EXPONENT1,    OSSL_PKEY_PARAM_RSA_EXPONENT2,
            OSSL_PKEY_PARAM_RSA_COEFFICIENT1, OSSL_PKEY_PARAM_RSA_D};
        for (int i = 0; i < 6; ++i) {
            if (!OSSL_PARAM_BLD_push_BN(bld.get(), kNames[i], priv[i])) {
                return nullptr;
            }
        }
    }
    std::unique_ptr<OSSL_PARAM, ParamFree> params(OSSL_PARAM_BLD_to_param(bld.get()));
    std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree> ctx(
        EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1) {
        return nullptr;
    }
    EVP_PKEY* key = nullptr;
    if (EVP_PKEY_fromdata(ctx.get(), &key, priv ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY,
                          params.get()) != 1) {
        return nullptr;
    }
    return EvpPkeyPtr(key);
}

}  // namespace

std::optional<std::vector<BYTE>> RsaToPublicKeyBlob(const EVP_PKEY* key, ALG_ID alg) {
    OpenSslInit();
    auto parts = GetPublicParts(key);
    if (!parts) {
        return FailWith<std::optional<std::vector<BYTE>>>(NTE_BAD_KEY);
    }
    std::vector<BYTE> blob(kHeaderSize + FullLen(parts->bits));
    WriteHeader(blob.data(), PUBLICKEYBLOB, alg, RSA1_MAGIC, parts->bits, parts->exponent);
    if (!PutLe(parts->n.get(), blob.data() + kHeaderSize, FullLen(parts->bits))) {
        return FailWith<std::optional<std::vector<BYTE>>>(NTE_BAD_KEY);
    }
    return blob;
}

std::optional<SecureBytes> RsaToPrivateKeyBlob(const EVP_PKEY* key, ALG_ID alg) {
    OpenSslInit();
    auto parts = GetPublicParts(key);
    if (!parts) {
        return FailWith<std::optional<SecureBytes>>(NTE_BAD_KEY);
    }
    static const char* const kOrder[] = {
        OSSL_PKEY_PARAM_RSA_FACTOR1,      OSSL_PKEY_PARAM_RSA_FACTOR2,
        OSSL_PKEY_PARAM_RSA_EXPONENT1,    OSSL_PKEY_PARAM_RSA_EXPONENT2,
        OSSL_PKEY_PARAM_RSA_COEFFICIENT1, OSSL_PKEY_PARAM_RSA_D};
    const std::size_t full = FullLen(parts->bits);
    const std::size_t half = HalfLen(parts->bits);
    SecureBytes blob(kHeaderSize + full + 5 * half + full);
    WriteHeader(blob.data(), PRIVATEKEYBLOB, alg, RSA2_MAGIC, parts->bits, parts->exponent);
    BYTE* p = blob.data() + kHeaderSize;
    if (!PutLe(parts->n.get(), p, full)) {
        return FailWith<std::optional<SecureBytes>>(NTE_BAD_KEY);
    }
    p += full;
    for (int i = 0; i < 6; ++i) {
        const std::size_t len = i == 5 ? full : half;
        BnPtr bn = GetBn(key, kOrder[i]);
        if (!bn || !PutLe(bn.get(), p, len)) {
            return FailWith<std::optional<SecureBytes>>(NTE_BAD_KEY);
        }
        p += len;
    }
    return blob;
}

std::optional<ParsedKeyBlob> ParseRsaKeyBlob(const BYTE* blob, std::size_t size) {
    OpenSslInit();
    if (blob == nullptr || size < kHeaderSize) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_DATA);
    }
    ParsedKeyBlob out;
    out.type = blob[0];
    out.alg = ReadDword(blob + 4);
    if (out.type != PUBLICKEYBLOB && out.type != PRIVATEKEYBLOB) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_TYPE);
    }
    if (blob[1] != CUR_BLOB_VERSION) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_VER);
    }
    if (!IsRsaAlg(out.alg)) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_ALGID);
    }
    const DWORD magic = ReadDword(blob + 8);
    out.bits = ReadDword(blob + 12);
    const DWORD exponent = ReadDword(blob + 16);
    const bool isPrivate = out.type == PRIVATEKEYBLOB;
    if (magic != (isPrivate ? RSA2_MAGIC : RSA1_MAGIC) || out.bits == 0 || out.bits > 16384 ||
        exponent == 0) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_DATA);
    }
    const std::size_t full = FullLen(out.bits);
    const std::size_t half = HalfLen(out.bits);
    const std::size_t expected = kHeaderSize + full + (isPrivate ? 5 * half + full : 0);
    if (size != expected) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_DATA);
    }
    const BYTE* p = blob + kHeaderSize;
    BnPtr n = LeToBn(p, full);
    BnPtr e(BN_new());
    if (!n || !e || !BN_set_word(e.get(), exponent)) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_NO_MEMORY);
    }
    if (BN_is_zero(n.get()) || static_cast<DWORD>(BN_num_bits(n.get())) > out.bits) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_DATA);
    }
    if (!isPrivate) {
        out.key = MakeRsaKey(n.get(), e.get(), nullptr);
    } else {
        p += full;
        BnPtr parts[6];
        const BIGNUM* raw[6];
        for (int i = 0; i < 6; ++i) {
            const std::size_t len = i == 5 ? full : half;
            parts[i] = LeToBn(p, len);
            if (!parts[i]) {
                return FailWith<std::optional<ParsedKeyBlob>>(NTE_NO_MEMORY);
            }
            raw[i] = parts[i].get();
            p += len;
        }
        // The primes must give the modulus, or the key is not one key.
        std::unique_ptr<BN_CTX, BnCtxFree> bnCtx(BN_CTX_secure_new());
        BnPtr product(BN_secure_new());
        if (!bnCtx || !product || !BN_mul(product.get(), raw[0], raw[1], bnCtx.get())) {
            return FailWith<std::optional<ParsedKeyBlob>>(NTE_NO_MEMORY);
        }
        if (BN_cmp(product.get(), n.get()) != 0 || BN_is_zero(raw[5])) {
            return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_DATA);
        }
        out.key = MakeRsaKey(n.get(), e.get(), raw);
    }
    if (!out.key) {
        return FailWith<std::optional<ParsedKeyBlob>>(NTE_BAD_DATA);
    }
    return out;
}

std::optional<std::vector<BYTE>> PublicKeyBlobToRsaPublicKeyDer(const BYTE* blob,
                                                                std::size_t size) {
    auto parsed = ParseRsaKeyBlob(blob, size);
    if (!parsed) {
        return std::nullopt;
    }
    if (parsed->type != PUBLICKEYBLOB) {
        return FailWith<std::optional<std::vector<BYTE>>>(NTE_BAD_TYPE);
    }
    // i2d_PublicKey of an RSA key writes the PKCS #1 RSAPublicKey.
    const int len = i2d_PublicKey(parsed->key.get(), nullptr);
    if (len <= 0) {
        return FailWith<std::optional<std::vector<BYTE>>>(NTE_BAD_DATA);
    }
    std::vector<BYTE> der(static_cast<std::size_t>(len));
    unsigned char* out = der.data();
    if (i2d_PublicKey(parsed->key.get(), &out) != len) {
        return FailWith<std::optional<std::vector<BYTE>>>(NTE_BAD_DATA);
    }
    return der;
}

std::optional<std::vector<BYTE>> RsaPublicKeyDerToPublicKeyBlob(const BYTE* der, std::size_t size,
                                                                ALG_ID alg) {
    OpenSslInit();
    if (der == nullptr || size == 0 || size > 0x7FFFFFFF) {
        return FailWith<std::optional<std::vector<BYTE>>>(CRYPT_E_BAD_ENCODE);
    }
    const unsigned char* p = der;
    EvpPkeyPtr key(d2i_PublicKey(EVP_PKEY_RSA, nullptr, &p, static_cast<long>(size)));
    if (!key || p != der + size) {
        return FailWith<std::optional<std::vector<BYTE>>>(CRYPT_E_BAD_ENCODE);
    }
    return RsaToPublicKeyBlob(key.get(), alg);
}

bool SamePublicKey(const EVP_PKEY* a, const EVP_PKEY* b) {
    return a != nullptr && b != nullptr && EVP_PKEY_eq(a, b) == 1;
}

}  // namespace vk::crypto
