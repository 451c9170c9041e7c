#include "platform/cert/pkcs12/PfxWriter.h"

#include <openssl/pkcs12.h>

#include <memory>

#include "platform/cert/pkcs12/PfxPassword.h"
#include "platform/crypto/OpenSslErrors.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/errors/LastError.h"
#include "platform/errors/WinError.h"

namespace vk::pkcs12 {
namespace {

constexpr int kIterations = 2048;

struct BagsFree {
    void operator()(STACK_OF(PKCS12_SAFEBAG) * s) const {
        sk_PKCS12_SAFEBAG_pop_free(s, PKCS12_SAFEBAG_free);
    }
};
struct SafesFree {
    void operator()(STACK_OF(PKCS7) * s) const { sk_PKCS7_pop_free(s, PKCS7_free); }
};
struct Pkcs12Free {
    void operator()(PKCS12* p) const { PKCS12_free(p); }
};

std::optional<std::vector<BYTE>> Fail(DWORD code) {
    vk::crypto::DrainOpenSslErrors("writing PFX");
    return FailWith<std::optional<std::vector<BYTE>>>(code);
}

}  // namespace

std::optional<std::vector<BYTE>> WritePfx(const std::vector<PfxEntry>& entries,
                                          const wchar_t* password) {
    vk::crypto::OpenSslInit();
    const PfxPassword pass = PfxPassword::ForWriting(password);
    STACK_OF(PKCS12_SAFEBAG)* rawCerts = nullptr;
    STACK_OF(PKCS12_SAFEBAG)* rawKeys = nullptr;
    std::unique_ptr<STACK_OF(PKCS12_SAFEBAG), BagsFree> certBags;
    std::unique_ptr<STACK_OF(PKCS12_SAFEBAG), BagsFree> keyBags;
    for (const auto& entry : entries) {
        // The bag calls take non-const objects but only read them.
        X509* cert = const_cast<X509*>(entry.cert);
        PKCS12_SAFEBAG* certBag = PKCS12_add_cert(&rawCerts, cert);
        certBags.release();
        certBags.reset(rawCerts);
        if (certBag == nullptr ||
            (!entry.friendlyName.empty() &&
             PKCS12_add_friendlyname_utf8(certBag, entry.friendlyName.c_str(), -1) != 1)) {
            return Fail(NTE_FAIL);
        }
        if (entry.key == nullptr) {
            continue;
        }
        unsigned char keyId[EVP_MAX_MD_SIZE];
        unsigned int keyIdLen = 0;
        if (X509_digest(cert, EVP_sha1(), keyId, &keyIdLen) != 1 ||
            PKCS12_add_localkeyid(certBag, keyId, static_cast<int>(keyIdLen)) != 1) {
            return Fail(NTE_FAIL);
        }
        PKCS12_SAFEBAG* keyBag =
            PKCS12_add_key_ex(&rawKeys, const_cast<EVP_PKEY*>(entry.key), 0, kIterations,
                              NID_aes_256_cbc, pass.Data(), nullptr, nullptr);
        keyBags.release();
        keyBags.reset(rawKeys);
        if (keyBag == nullptr ||
            PKCS12_add_localkeyid(keyBag, keyId, static_cast<int>(keyIdLen)) != 1 ||
            (!entry.friendlyName.empty() &&
             PKCS12_add_friendlyname_utf8(keyBag, entry.friendlyName.c_str(), -1) != 1)) {
            return Fail(NTE_FAIL);
        }
    }
    STACK_OF(PKCS7)* rawSafes = nullptr;
    std::unique_ptr<STACK_OF(PKCS7), SafesFree> safes;
    if (certBags && PKCS12_add_safe_ex(&rawSafes, certBags.get(), NID_aes_256_cbc, kIterations,
                                       pass.Data(), nullptr, nullptr) != 1) {
        safes.reset(rawSafes);
        return Fail(NTE_FAIL);
    }
    safes.reset(rawSafes);
    // Shrouded key bags are encrypted each; their safe is plain data.
    if (keyBags &&
        PKCS12_add_safe_ex(&rawSafes, keyBags.get(), -1, 0, nullptr, nullptr, nullptr) != 1) {
        safes.release();
        safes.reset(rawSafes);
        return Fail(NTE_FAIL);
    }
    safes.release();
    safes.reset(rawSafes);
    std::unique_ptr<PKCS12, Pkcs12Free> p12(PKCS12_add_safes_ex(safes.get(), 0, nullptr, nullptr));
    if (!p12 || PKCS12_set_mac(p12.get(), pass.Data(), pass.Length(), nullptr, 0, kIterations,
                               EVP_sha256()) != 1) {
        return Fail(NTE_FAIL);
    }
    const int len = i2d_PKCS12(p12.get(), nullptr);
    if (len <= 0) {
        return Fail(NTE_FAIL);
    }
    std::vector<BYTE> out(static_cast<std::size_t>(len));
    unsigned char* p = out.data();
    i2d_PKCS12(p12.get(), &p);
    vk::crypto::DrainOpenSslErrors("writing PFX");
    return out;
}

}  // namespace vk::pkcs12
