// The PFX import wizard's unpacking (the file's certificates with their private keys read out,
// as the wizard does behind its progress page) against OpenSSL's PKCS12_parse of the same
// files, for files of 2,048 and 600,000 key-derivation iterations made by openssl in a
// temporary folder. Each is the best of several runs in this process; the key derivation is
// the work, so the two should take about as long.

#include <openssl/pkcs12.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "BenchTiming.h"
#include "program/ops/pfximport/PfxUnpack.h"

namespace fs = std::filesystem;

namespace {

std::vector<BYTE> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// OpenSSL's own reading of the file: its certificate and key, or false.
bool OpensslParse(const std::vector<BYTE>& bytes, const char* password) {
    const unsigned char* p = bytes.data();
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size()));
    if (p12 == nullptr) {
        return false;
    }
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    const bool ok = PKCS12_parse(p12, password, &key, &cert, nullptr) == 1;
    EVP_PKEY_free(key);
    X509_free(cert);
    PKCS12_free(p12);
    return ok && key != nullptr && cert != nullptr;
}

bool WizardUnpack(const std::vector<BYTE>& bytes, const wchar_t* password) {
    const SPFXMaster::SPfxUnpackResult result = SPFXMaster::UnpackPfx(bytes, password);
    return result.error == 0 && result.pairs.size() == 1;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/bench_pfx-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    const auto p = [&](const std::string& name) { return (dir / name).string(); };
    bool made =
        bench::Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                    p("key.pem"), "-out", p("cert.pem"), "-subj", "/CN=bench", "-days", "30"},
                   "/dev/null") == 0;
    const int iterations[] = {2048, 600000};
    for (int iter : iterations) {
        const std::string n = std::to_string(iter);
        made = made && bench::Run({"openssl", "pkcs12", "-export", "-in", p("cert.pem"), "-inkey",
                                   p("key.pem"), "-out", p(n + ".p12"), "-passout", "pass:secret",
                                   "-iter", n, "-maciter"},
                                  "/dev/null") == 0;
    }
    if (!made) {
        std::fprintf(stderr, "bench_pfx: openssl could not make the files\n");
        fs::remove_all(dir);
        return 1;
    }
    bool correct = true;
    std::string speedups;
    for (int iter : iterations) {
        const std::string n = std::to_string(iter);
        const std::vector<BYTE> bytes = ReadAll(p(n + ".p12"));
        const int reps = iter > 100000 ? 3 : 10;
        bool ok = true;
        const double ours = bench::BestOf(reps, [&] { ok = ok && WizardUnpack(bytes, L"secret"); });
        const double theirs =
            bench::BestOf(reps, [&] { ok = ok && OpensslParse(bytes, "secret"); });
        correct = correct && ok;
        std::printf("pfx unpack %s iterations: wizard %s s, openssl %s s\n", n.c_str(),
                    bench::Number(ours).c_str(), bench::Number(theirs).c_str());
        speedups +=
            "speedup pfx unpack " + n + " vs openssl: " + bench::Number(theirs / ours) + "\n";
    }
    std::fputs(speedups.c_str(), stdout);
    fs::remove_all(dir);
    if (!correct) {
        std::fprintf(stderr, "bench_pfx: a file did not unpack to one certificate with its key\n");
        return 1;
    }
    return 0;
}
