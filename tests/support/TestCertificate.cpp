#include "support/TestCertificate.h"

#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace vktest {

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(what);
    }
}

}  // namespace

std::vector<std::uint8_t> MakeCertificate(EVP_PKEY* key, const Subject& subject,
                                          const Extensions& extensions, long serial) {
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
    Require(cert && X509_set_version(cert.get(), 2) == 1, "version");
    Require(ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial) == 1, "serial");
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert.get());
    for (const auto& [type, value] : subject) {
        Require(X509_NAME_add_entry_by_txt(name, type.c_str(), MBSTRING_UTF8,
                                           reinterpret_cast<const unsigned char*>(value.data()),
                                           static_cast<int>(value.size()), -1, 0) == 1,
                "name");
    }
    Require(X509_set_issuer_name(cert.get(), name) == 1, "issuer");
    Require(X509_set_pubkey(cert.get(), key) == 1, "public key");
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert.get(), cert.get(), nullptr, nullptr, 0);
    for (const auto& [nid, value] : extensions) {
        std::unique_ptr<X509_EXTENSION, decltype(&X509_EXTENSION_free)> ext(
            X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str()), X509_EXTENSION_free);
        Require(ext && X509_add_ext(cert.get(), ext.get(), -1) == 1, "extension");
    }
    Require(X509_sign(cert.get(), key, EVP_sha256()) > 0, "sign");
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert.get(), &der);
    Require(length > 0, "encode");
    std::vector<std::uint8_t> bytes(der, der + length);
    OPENSSL_free(der);
    return bytes;
}

}  // namespace vktest
