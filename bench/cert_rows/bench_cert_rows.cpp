// The rows of the certificate view (every row's caption, value and detail, as
// the view asks for them) of every certificate in Debian's ca-certificates,
// against OpenSSL's own text of the same certificates (X509_print_ex to a
// memory BIO) with their SHA-1 and MD5 digests, best of several rounds each,
// the two sides alternating so that both meet the same machine load. Both
// sides start from the DER bytes.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "program/ui/certlist/BuildCertificateRows.h"

namespace {

using bench::Number;
using bench::Seconds;

namespace fs = std::filesystem;

volatile std::size_t g_sink;

void Fail(const std::string& what) {
    std::fprintf(stderr, "bench_cert_rows: %s\n", what.c_str());
    std::exit(1);
}

std::vector<std::vector<BYTE>> LoadCaCertificates() {
    std::vector<std::vector<BYTE>> certificates;
    for (const auto& entry : fs::recursive_directory_iterator("/usr/share/ca-certificates")) {
        if (entry.path().extension() != ".crt") {
            continue;
        }
        FILE* f = std::fopen(entry.path().c_str(), "rb");
        if (f == nullptr) {
            Fail("cannot open " + entry.path().string());
        }
        X509* cert = PEM_read_X509(f, nullptr, nullptr, nullptr);
        std::fclose(f);
        if (cert == nullptr) {
            Fail("not a PEM certificate: " + entry.path().string());
        }
        unsigned char* der = nullptr;
        const int size = i2d_X509(cert, &der);
        certificates.emplace_back(der, der + size);
        OPENSSL_free(der);
        X509_free(cert);
    }
    if (certificates.empty()) {
        Fail("no certificates under /usr/share/ca-certificates");
    }
    return certificates;
}

// Our side: the rows, each asked for all its texts.
std::size_t OurRows(const std::vector<std::vector<BYTE>>& certificates) {
    std::size_t characters = 0;
    for (const auto& der : certificates) {
        SSertListItemInfo::BuildCertificateRows(der, [&characters](auto row) {
            characters += row->GetName().size() + row->GetValue().size() + row->GetDetail().size() +
                          row->GetIconId();
        });
    }
    return characters;
}

// OpenSSL's side: the certificate parsed, printed and digested twice.
std::size_t OpensslText(const std::vector<std::vector<BYTE>>& certificates) {
    std::size_t characters = 0;
    BIO* bio = BIO_new(BIO_s_mem());
    for (const auto& der : certificates) {
        const unsigned char* p = der.data();
        X509* cert = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
        if (cert == nullptr) {
            Fail("d2i_X509 failed");
        }
        X509_print_ex(bio, cert, XN_FLAG_ONELINE, 0);
        unsigned char hash[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_Digest(der.data(), der.size(), hash, &length, EVP_sha1(), nullptr);
        characters += length;
        EVP_Digest(der.data(), der.size(), hash, &length, EVP_md5(), nullptr);
        characters += length;
        characters += static_cast<std::size_t>(BIO_pending(bio));
        BIO_reset(bio);
        X509_free(cert);
    }
    BIO_free(bio);
    return characters;
}

}  // namespace

int main() {
    const auto certificates = LoadCaCertificates();
    std::size_t ourCharacters = 0;
    std::size_t theirCharacters = 0;
    double ours = 1e30;
    double theirs = 1e30;
    constexpr int kRounds = 15;
    for (int i = 0; i < kRounds; ++i) {
        ours = std::min(ours, Seconds([&] { ourCharacters = OurRows(certificates); }));
        theirs = std::min(theirs, Seconds([&] { theirCharacters = OpensslText(certificates); }));
    }
    g_sink = ourCharacters + theirCharacters;
    std::printf("certificates: %zu\n", certificates.size());
    std::printf("certificate rows (all texts): %s ms, %zu characters\n", Number(ours * 1e3).c_str(),
                ourCharacters);
    std::printf("openssl X509_print_ex + SHA-1 + MD5: %s ms, %zu characters\n",
                Number(theirs * 1e3).c_str(), theirCharacters);
    std::printf("speedup certificate rows vs openssl print: %s\n", Number(theirs / ours).c_str());
    return 0;
}
