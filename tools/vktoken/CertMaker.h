// Certificates for keys made on virtual tokens: self-signed, or issued by the
// demo certification authority that lives beside the token world (made on
// first use). Both carry the extensions of a real user certificate.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;

struct CertRequest {
    std::string commonName;  // UTF-8
    std::string organization = "Orvel Demo";
    std::string email;
    int keySpec = 1;  // 1 exchange, 2 signature
    bool fromCa = false;
    int days = 730;
};

X509Ptr MakeCertificate(EVP_PKEY* subjectKey, const CertRequest& request,
                        const std::filesystem::path& worldRoot);

std::vector<unsigned char> CertificateDer(X509* cert);
