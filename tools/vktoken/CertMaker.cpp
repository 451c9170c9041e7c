#include "CertMaker.h"

#include <fcntl.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "platform/crypto/KeyBlob.h"
#include "platform/crypto/SoftwareKey.h"
#include "platform/errors/WinError.h"
#include "platform/kernel/AtomicFile.h"
#include "platform/token/TokenWorld.h"

namespace {

using vk::crypto::EvpPkeyPtr;

struct FileClose {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileClose>;

void Check(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("certificate: ") + what);
    }
}

// Refuses a value OpenSSL will not hold (not UTF-8, or over the field's bound: 64 characters for
// a common name) rather than leaving the field out.
void SetName(X509* cert, const std::string& cn, const std::string& org) {
    std::unique_ptr<X509_NAME, decltype(&X509_NAME_free)> name(X509_NAME_new(), X509_NAME_free);
    Check(name != nullptr, "name");
    auto add = [&](const char* field, const std::string& value, const char* what) {
        Check(X509_NAME_add_entry_by_txt(name.get(), field, MBSTRING_UTF8,
                                         reinterpret_cast<const unsigned char*>(value.c_str()),
                                         static_cast<int>(value.size()), -1, 0) == 1,
              what);
    };
    add("C", "RU", "country");
    add("O", org, "organization must be UTF-8 of 1 to 64 characters");
    add("CN", cn, "common name must be UTF-8 of 1 to 64 characters");
    Check(X509_set_subject_name(cert, name.get()) == 1, "subject");
}

void AddExtension(X509* cert, X509V3_CTX* ctx, int nid, const std::string& value) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, ctx, nid, value.c_str());
    Check(ext != nullptr, "extension");
    const int added = X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
    Check(added == 1, "extension");
}

// Certificate policies have no one-line configuration form; built directly.
void AddPolicy(X509* cert, const char* oid) {
    CERTIFICATEPOLICIES* policies = sk_POLICYINFO_new_null();
    POLICYINFO* info = POLICYINFO_new();
    if (policies == nullptr || info == nullptr) {
        POLICYINFO_free(info);
        CERTIFICATEPOLICIES_free(policies);
        Check(false, "policy");
    }
    info->policyid = OBJ_txt2obj(oid, 1);
    const bool pushed = info->policyid != nullptr && sk_POLICYINFO_push(policies, info) > 0;
    if (!pushed) {
        POLICYINFO_free(info);
    }
    const int added =
        pushed ? X509_add1_ext_i2d(cert, NID_certificate_policies, policies, 0, X509V3_ADD_DEFAULT)
               : 0;
    CERTIFICATEPOLICIES_free(policies);
    Check(added == 1, "policy");
}

X509Ptr NewCertificate(EVP_PKEY* key, const std::string& cn, const std::string& org, int days) {
    X509Ptr cert(X509_new());
    Check(cert && X509_set_version(cert.get(), 2) == 1, "version");
    unsigned char serial[16];
    Check(RAND_bytes(serial, sizeof serial) == 1, "serial number");
    serial[0] &= 0x7F;
    BIGNUM* bn = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool numbered =
        bn != nullptr && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get())) != nullptr;
    BN_free(bn);
    Check(numbered, "serial number");
    Check(X509_gmtime_adj(X509_getm_notBefore(cert.get()), 0) != nullptr &&
              X509_gmtime_adj(X509_getm_notAfter(cert.get()), 60L * 60 * 24 * days) != nullptr,
          "validity");
    SetName(cert.get(), cn, org);
    Check(X509_set_pubkey(cert.get(), key) == 1, "public key");
    return cert;
}

struct BioFree {
    void operator()(BIO* b) const { BIO_free(b); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;

// Replaces a file at once with what the memory BIO holds.
void WriteWhole(const std::filesystem::path& file, BIO* bio, mode_t mode, const char* what) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    Check(size > 0 && ReplaceFileAtomically(file,
                                            std::span(reinterpret_cast<const std::uint8_t*>(data),
                                                      static_cast<std::size_t>(size)),
                                            mode) == ERROR_SUCCESS,
          what);
}

// The demo authority: its key (mode 0600) in a folder of its own beside the token folder, which
// holds tokens only; its certificate in the token folder, where users find it. A key an older
// vktoken left among the tokens moves there.
std::pair<EvpPkeyPtr, X509Ptr> DemoCa(const std::filesystem::path& root) {
    const auto keyFolder = root.parent_path() / "demo-ca";
    const auto keyFile = keyFolder / "demo-ca.key";
    const auto certFile = root / "demo-ca.crt";
    std::error_code error;
    if (const auto oldKey = root / "demo-ca.key"; std::filesystem::exists(oldKey, error)) {
        vkstore::MakePrivateDir(keyFolder);
        std::filesystem::rename(oldKey, keyFile);
    }
    if (std::filesystem::exists(keyFile) && std::filesystem::exists(certFile)) {
        FilePtr kf(std::fopen(keyFile.c_str(), "r"));
        FilePtr cf(std::fopen(certFile.c_str(), "r"));
        EvpPkeyPtr key(kf ? PEM_read_PrivateKey(kf.get(), nullptr, nullptr, nullptr) : nullptr);
        X509Ptr cert(cf ? PEM_read_X509(cf.get(), nullptr, nullptr, nullptr) : nullptr);
        if (key && cert) {
            return {std::move(key), std::move(cert)};
        }
    }
    EvpPkeyPtr key = vk::crypto::GenerateRsaKey(2048);
    Check(key != nullptr, "CA key");
    X509Ptr cert =
        NewCertificate(key.get(), "Orvel Demo Certification Authority", "Orvel Demo", 3650);
    Check(X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get())) == 1, "issuer");
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, cert.get(), cert.get(), nullptr, nullptr, 0);
    AddExtension(cert.get(), &ctx, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert.get(), &ctx, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(cert.get(), &ctx, NID_subject_key_identifier, "hash");
    Check(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "CA signature");

    std::filesystem::create_directories(root);
    vkstore::MakePrivateDir(keyFolder);
    // The key first, each file whole or not at all: a certificate never names a lost key.
    BioPtr pem(BIO_new(BIO_s_secmem()));
    Check(pem && PEM_write_bio_PKCS8PrivateKey(pem.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                               nullptr) == 1,
          "CA key");
    WriteWhole(keyFile, pem.get(), 0600, "CA key file");
    BioPtr certPem(BIO_new(BIO_s_mem()));
    Check(certPem && PEM_write_bio_X509(certPem.get(), cert.get()) == 1, "CA certificate");
    WriteWhole(certFile, certPem.get(), 0644, "CA certificate file");
    return {std::move(key), std::move(cert)};
}

}  // namespace

X509Ptr MakeCertificate(EVP_PKEY* subjectKey, const CertRequest& request,
                        const std::filesystem::path& worldRoot) {
    X509Ptr cert =
        NewCertificate(subjectKey, request.commonName, request.organization, request.days);
    EvpPkeyPtr caKey;
    X509Ptr caCert;
    if (request.fromCa) {
        std::tie(caKey, caCert) = DemoCa(worldRoot);
        Check(X509_set_issuer_name(cert.get(), X509_get_subject_name(caCert.get())) == 1, "issuer");
    } else {
        Check(X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get())) == 1, "issuer");
    }
    X509* issuer = request.fromCa ? caCert.get() : cert.get();
    X509V3_CTX ctx;
    X509V3_set_ctx(&ctx, issuer, cert.get(), nullptr, nullptr, 0);
    AddExtension(cert.get(), &ctx, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert.get(), &ctx, NID_key_usage,
                 request.keySpec == 1 ? "critical,digitalSignature,keyEncipherment"
                                      : "critical,digitalSignature,nonRepudiation");
    AddExtension(cert.get(), &ctx, NID_ext_key_usage,
                 request.keySpec == 1 ? "clientAuth,emailProtection" : "clientAuth,codeSigning");
    AddExtension(cert.get(), &ctx, NID_subject_key_identifier, "hash");
    AddExtension(cert.get(), &ctx, NID_authority_key_identifier, "keyid:always");
    if (!request.email.empty()) {
        AddExtension(cert.get(), &ctx, NID_subject_alt_name, "email:" + request.email);
    }
    if (request.fromCa) {
        AddExtension(cert.get(), &ctx, NID_crl_distribution_points,
                     "URI:http://ca.orvel.example/demo.crl");
        AddExtension(cert.get(), &ctx, NID_info_access,
                     "caIssuers;URI:http://ca.orvel.example/demo.crt,"
                     "OCSP;URI:http://ocsp.orvel.example");
        AddPolicy(cert.get(), "1.2.643.100.113.1");
    }
    Check(X509_sign(cert.get(), request.fromCa ? caKey.get() : subjectKey, EVP_sha256()) > 0,
          "signature");
    return cert;
}

std::vector<unsigned char> CertificateDer(X509* cert) {
    int size = i2d_X509(cert, nullptr);
    Check(size > 0, "encoding");
    std::vector<unsigned char> der(static_cast<std::size_t>(size));
    unsigned char* p = der.data();
    Check(i2d_X509(cert, &p) == size, "encoding");
    return der;
}
