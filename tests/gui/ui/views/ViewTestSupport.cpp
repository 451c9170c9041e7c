// The demo data of the property view tests.
#include "ViewTestSupport.h"

#include <openssl/evp.h>
#include <openssl/rsa.h>
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

STokenRecord DemoMiniRecord() {
    STokenRecord r;
    r.label = L"Velkora Mini Demo";
    r.typeText = L"Velkora Mini 32K";
    r.tokenType = 0;
    r.tokenId = 0x00C0FFEE;
    r.versionMajor = 2;
    r.versionMinor = 4;
    r.protocolNumber = 1;
    r.microprogramNumber = 3;
    r.freeMemory = 30208;
    r.pinChangePolicy = 2;
    return r;
}

namespace {

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
struct ExtFree {
    void operator()(X509_EXTENSION* e) const { X509_EXTENSION_free(e); }
};

void Require(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

void AddExtension(X509* cert, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, ExtFree> ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
    Require(ext && X509_add_ext(cert, ext.get(), -1) == 1, "extension");
}

void AddName(X509_NAME* name, const char* field, const char* value) {
    Require(
        X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(value), -1, -1, 0) == 1,
        "name");
}

std::vector<unsigned char> MakeCertificate(EVP_PKEY* key) {
    std::unique_ptr<X509, X509Free> cert(X509_new());
    Require(cert && X509_set_version(cert.get(), 2) == 1, "version");
    Require(ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 0x20260115) == 1, "serial");
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert.get());
    AddName(name, "C", "RU");
    AddName(name, "O", "Orvel");
    AddName(name, "CN", "\u0418\u0432\u0430\u043d\u043e\u0432 \u0418\u0432\u0430\u043d");
    AddName(name, "emailAddress", "ivanov@orvel.example");
    Require(X509_set_issuer_name(cert.get(), name) == 1, "issuer");
    Require(X509_set_pubkey(cert.get(), key) == 1, "public key");
    AddExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert.get(), NID_key_usage, "critical,digitalSignature,keyEncipherment");
    AddExtension(cert.get(), NID_ext_key_usage, "clientAuth,emailProtection");
    AddExtension(cert.get(), NID_subject_key_identifier, "hash");
    Require(X509_sign(cert.get(), key, EVP_sha256()) > 0, "sign");
    const int length = i2d_X509(cert.get(), nullptr);
    Require(length > 0, "encode");
    std::vector<unsigned char> der(static_cast<size_t>(length));
    unsigned char* out = der.data();
    i2d_X509(cert.get(), &out);
    return der;
}

DemoKey MakeDemoKey(int bits) {
    vk::crypto::EvpPkeyPtr key(EVP_RSA_gen(static_cast<unsigned>(bits)));
    Require(key != nullptr, "key generation");
    DemoKey demo;
    demo.bits = bits;
    const auto blob = vk::crypto::RsaToPublicKeyBlob(key.get(), CALG_RSA_KEYX);
    Require(blob.has_value(), "public key blob");
    demo.publicKeyBlob = *blob;
    demo.certificate = MakeCertificate(key.get());
    return demo;
}

}  // namespace

const DemoKey& Demo2048() {
    static const DemoKey demo = MakeDemoKey(2048);
    return demo;
}

}  // namespace viewtest
