// PFX files made by openssl, certtool and pk12util at test time, and the committed keytool files
// of tests/data/pfx. Shared by the PKCS #12 tests and the vkcert-cli tests.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pfxtest {

namespace fs = std::filesystem;

inline const std::string kCyrillic = "пароль-Тест";
inline const std::string kLong32 = "0123456789abcdefghijABCDEFGHIJ#!";

struct PfxCase {
    std::string label;
    fs::path file;
    std::string password;  // UTF-8
    // The certificate and key files it was made from (PEM), when known: each
    // certificate with the key the file holds for it, or an empty path.
    std::vector<std::pair<fs::path, fs::path>> contents;
};

// Runs a program (no shell); answers whether it exited with 0. Its standard
// output goes to *out when given.
bool Run(const std::vector<std::string>& argv, std::string* out = nullptr);

class Workshop {
public:
    // Makes a CA, a leaf certificate signed by it (Cyrillic common name) and a
    // second self-signed leaf, each with its RSA key, in dir.
    explicit Workshop(fs::path dir);

    fs::path caCert, caKey, leafCert, leafKey, leaf2Cert, leaf2Key;

    // openssl pkcs12 -export of the leaf and its key with the extra arguments.
    PfxCase Openssl(const std::string& label, const std::string& password,
                    const std::vector<std::string>& extra = {});
    PfxCase OpensslChain(const std::string& password);
    // openssl pkcs12 -export -nokeys of the CA and the second leaf.
    PfxCase OpensslCertsOnly(const std::string& label, const std::string& password,
                             const std::vector<std::string>& extra = {});
    // certtool --to-p12; password "" means --empty-password, nullPassword --null-password.
    PfxCase Certtool(const std::string& label, const std::string& password,
                     bool nullPassword = false);
    // pk12util -o from an NSS database holding the leaf and its key.
    PfxCase Pk12util(const std::string& label, const std::string& password);
    // Every case above, and the committed keytool files.
    std::vector<PfxCase> All();

private:
    fs::path m_dir;
    fs::path m_nssDb;
};

// What other tools make of a PFX file that should hold the certificate with its key under the
// password: openssl gives back the same certificate and key, keytool (where installed, for
// ASCII passwords of 6 characters or more), certtool and pk12util (in a scratch NSS database in
// `scratch`) open it. Empty when all agree; otherwise what went wrong.
std::string CheckWithOtherTools(const fs::path& file, const std::string& password,
                                const fs::path& certPem, const fs::path& keyPem,
                                const fs::path& scratch);

// The committed keytool files with their passwords.
std::vector<PfxCase> KeytoolCases();

// DER bytes of a PEM certificate file; the key of a PEM key file.
std::vector<unsigned char> CertDer(const fs::path& pem);
EVP_PKEY* LoadKey(const fs::path& pem);  // caller frees

inline std::vector<unsigned char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

}  // namespace pfxtest
