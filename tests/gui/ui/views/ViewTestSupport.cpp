// The demo data of the property view tests.
#include "ViewTestSupport.h"

#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <stdexcept>

#include "platform/crypto/KeyBlob.h"

namespace viewtest {

STokenRecord DemoProRecord() {
    STokenRecord r;
    r.label = L"Velkora Pro Demo";
    r.typeText = L"Velkora Pro 64K";
    r.tokenType = 1;
    r.tokenId = 0x1A2B3C4D;
    r.versionMajor = 3;
    r.versionMinor = 1;
    r.protocolNumber = 2;
    r.microprogramNumber = 7;
    r.freeMemory = 41216;
    r.pinChangePolicy = 0;
    return r;
}

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

// A self-signed version 3 certificate with four extensions and a Cyrillic common name.
std::vector<unsigned char> MakeCertificate(EVP_PKEY* key) {
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
    Require(cert && X509_set_version(cert.get(), 2) == 1, "version");
    Require(ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 0x20260115) == 1, "serial");
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert.get());
    for (const auto& [field, value] :
         {std::pair{"C", "RU"}, std::pair{"O", "Orvel"},
          std::pair{"CN", "\u0418\u0432\u0430\u043d\u043e\u0432 \u0418\u0432\u0430\u043d"},
          std::pair{"emailAddress", "ivanov@orvel.example"}}) {
        Require(X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                           reinterpret_cast<const unsigned char*>(value), -1, -1,
                                           0) == 1,
                "name");
    }
    Require(X509_set_issuer_name(cert.get(), name) == 1, "issuer");
    Require(X509_set_pubkey(cert.get(), key) == 1, "public key");
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert.get(), cert.get(), nullptr, nullptr, 0);
    for (const auto& [nid, value] :
         {std::pair{NID_basic_constraints, "critical,CA:FALSE"},
          std::pair{NID_key_usage, "critical,digitalSignature,keyEncipherment"},
          std::pair{NID_ext_key_usage, "clientAuth,emailProtection"},
          std::pair{NID_subject_key_identifier, "hash"}}) {
        std::unique_ptr<X509_EXTENSION, decltype(&X509_EXTENSION_free)> ext(
            X509V3_EXT_conf_nid(nullptr, &ctx, nid, value), X509_EXTENSION_free);
        Require(ext && X509_add_ext(cert.get(), ext.get(), -1) == 1, "extension");
    }
    Require(X509_sign(cert.get(), key, EVP_sha256()) > 0, "sign");
    const int length = i2d_X509(cert.get(), nullptr);
    Require(length > 0, "encode");
    std::vector<unsigned char> der(static_cast<size_t>(length));
    unsigned char* out = der.data();
    i2d_X509(cert.get(), &out);
    return der;
}

}  // namespace

const DemoKey& Demo2048() {
    static const DemoKey demo = [] {
        vk::crypto::EvpPkeyPtr key(EVP_RSA_gen(2048u));
        Require(key != nullptr, "key generation");
        const auto blob = vk::crypto::RsaToPublicKeyBlob(key.get(), CALG_RSA_KEYX);
        Require(blob.has_value(), "public key blob");
        return DemoKey{*blob, MakeCertificate(key.get())};
    }();
    return demo;
}

}  // namespace viewtest
