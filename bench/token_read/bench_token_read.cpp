// Reading a whole token: 32 containers of two keys, each with a certificate (containers, keys,
// certificates and their display names) and the login state through the token information
// objects, with the user logged in at the token service (vktokend), which the reads ask.
//
// Cold: a fresh process of ours that reads all of it (process start included) against
// `pkcs11-tool --login --list-objects` over a SoftHSM2 token holding the same keys and
// certificates. Warm: the same read repeated inside one process, from the caches, against the
// first read in that process. Key read: an exportable private key read through the provider
// while logged in (the service uses the token key it holds) against one PIN check at the default
// cost, which a read that derived from the PIN again would pay. Best of several repetitions
// each; everything is set up untimed in a temporary folder that is removed at the end.
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "BenchTiming.h"
#include "platform/crypto/CryptApi.h"
#include "platform/token/TokenKeyWriter.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "platform/token/VelkoraProvider.h"
#include "platform/token/service/TokenServiceClient.h"
#include "program/core/sdp/CSingletonRegistry.h"
#include "program/token/CTokenInfo.h"

namespace fs = std::filesystem;

namespace {

using bench::BestOf;
using bench::Run;
using bench::Seconds;
using bench::Start;
using bench::Wait;

constexpr int kContainers = 32;
constexpr const char* kReader = "Bench Reader";
constexpr const wchar_t* kFirstContainer = L"\\\\.\\Bench Reader\\bench container 0";
constexpr const char* kPinCostLabel = "PIN cost";
constexpr const char* kPin = "1234";
constexpr const char* kModule = "/usr/lib/softhsm/libsofthsm2.so";

// Counts the lines of a program's output that start with `prefix`.
int CountLines(const std::string& command, const std::string& prefix) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    int count = 0;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        count += std::string(line).rfind(prefix, 0) == 0 ? 1 : 0;
    }
    pclose(pipe);
    return count;
}

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "bench_token_read: %s failed\n", what);
        std::exit(1);
    }
}

// Everything a read finds: certificates, their bytes and names.
struct ReadResult {
    int containers = 0;
    int keys = 0;
    int certificates = 0;
    std::size_t bytes = 0;
    std::size_t nameChars = 0;
};

ReadResult ReadAll(CTokenInfo& token) {
    ReadResult result;
    for (const auto& container : token.GetContainers()) {
        ++result.containers;
        for (DWORD spec : {AT_KEYEXCHANGE, AT_SIGNATURE}) {
            CKeyInfo* key = container->GetKey(spec);
            if (key == nullptr) {
                continue;
            }
            ++result.keys;
            const std::vector<BYTE>& cert = key->GetCertificate();
            if (!cert.empty()) {
                ++result.certificates;
                result.bytes += cert.size();
            }
            result.nameChars += key->GetCertificateDisplayName().size();
        }
    }
    return result;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// The child of the cold read: reads all of the token and tells how much it found.
int ChildRead() {
    ReadResult result;
    DWORD login = 0;
    {
        CTokenInfo token(Wide(kReader), {});
        result = ReadAll(token);
        login = token.GetLoginState();
    }
    SDP::SINGLETON::Teardown();
    return result.certificates == 2 * kContainers && login == 2 ? 0 : 3;
}

std::vector<unsigned char> Der(int (*encode)(const void*, unsigned char**), const void* object) {
    unsigned char* out = nullptr;
    const int length = encode(object, &out);
    Require(length > 0, "encoding");
    std::vector<unsigned char> bytes(out, out + length);
    OPENSSL_free(out);
    return bytes;
}

std::vector<unsigned char> CertificateOf(EVP_PKEY* key, const std::string& commonName,
                                         long serial) {
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 365L * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>("Orvel Bench"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    X509_set_issuer_name(cert, name);
    X509_set_pubkey(cert, key);
    Require(X509_sign(cert, key, EVP_sha256()) > 0, "signing");
    auto bytes = Der(
        [](const void* x, unsigned char** out) {
            return i2d_X509(static_cast<X509*>(const_cast<void*>(x)), out);
        },
        cert);
    X509_free(cert);
    return bytes;
}

void WriteFile(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The same 64 keys and certificates on our virtual token and on a SoftHSM2 token.
void SetUp(const fs::path& root) {
    vkstore::TokenWorld world;
    world.AddReader(kReader);
    vkstore::TokenRecordData record;
    record.label = "Bench";
    world.CreateToken(record, kPin, {.log2N = 10, .r = 1}, 10);
    world.Insert(kReader, "Bench");
    vkstore::TokenStore store(world.TokenFile(world.FindToken("Bench")->uuid));
    const vkstore::SecretBytes tokenKey = store.Unlock(kPin);

    const fs::path hsm = root / "softhsm";
    fs::create_directories(hsm / "tokens");
    std::ofstream(hsm / "softhsm2.conf") << "directories.tokendir = " << (hsm / "tokens").string()
                                         << "\nobjectstore.backend = file\nlog.level = ERROR\n";
    setenv("SOFTHSM2_CONF", (hsm / "softhsm2.conf").c_str(), 1);
    Require(Run({"softhsm2-util", "--init-token", "--free", "--label", "bench", "--so-pin", "5678",
                 "--pin", kPin}) == 0,
            "softhsm2-util --init-token");

    // One import at a time: SoftHSM2 refuses writers that overlap.
    std::vector<pid_t> running;
    const auto finish = [&](std::size_t keep) {
        while (running.size() > keep) {
            Require(Wait(running.front()) == 0, "pkcs11-tool --write-object");
            running.erase(running.begin());
        }
    };
    const auto pkcs11 = [&](const fs::path& file, const char* type, const std::string& id) {
        finish(0);
        running.push_back(
            Start({"pkcs11-tool", "--module", kModule, "--login", "--pin", kPin, "--write-object",
                   file.string(), "--type", type, "--id", id, "--label", id}));
    };
    for (int c = 0; c < kContainers; ++c) {
        const std::string container = "bench container " + std::to_string(c);
        const std::int64_t containerId = store.CreateContainer(container);
        for (int spec : {1, 2}) {
            EVP_PKEY* key = EVP_RSA_gen(2048);
            Require(key != nullptr, "key generation");
            const std::string name =
                "Holder " + std::to_string(c) + (spec == 1 ? " exchange" : " signature");
            const auto cert = CertificateOf(key, name, 1000 + c * 2 + spec);
            vkstore::WriteTokenKey(store, containerId, tokenKey, key, spec, c == 0 && spec == 1,
                                   cert);

            char id[8];
            std::snprintf(id, sizeof id, "%02x%02x", c, spec);
            const fs::path keyFile = hsm / (std::string(id) + ".key");
            const fs::path certFile = hsm / (std::string(id) + ".cer");
            WriteFile(keyFile, Der(
                                   [](const void* k, unsigned char** out) {
                                       return i2d_PrivateKey(
                                           static_cast<EVP_PKEY*>(const_cast<void*>(k)), out);
                                   },
                                   key));
            WriteFile(certFile, cert);
            EVP_PKEY_free(key);
            pkcs11(keyFile, "privkey", id);
            pkcs11(certFile, "cert", id);
        }
    }
    finish(0);
    // A token at the default PIN cost, for the price of one PIN check.
    record.label = kPinCostLabel;
    world.CreateToken(record, kPin, {}, 10);
    const std::string list = std::string("pkcs11-tool --module ") + kModule + " --login --pin " +
                             kPin + " --list-objects 2>/dev/null";
    Require(CountLines(list, "Private Key Object") == 2 * kContainers &&
                CountLines(list, "Certificate Object") == 2 * kContainers,
            "listing every key and certificate on SoftHSM2");
}

// Reads the exportable private key of the first container through the provider.
std::size_t KeyRead() {
    HCRYPTPROV provider = 0;
    HCRYPTKEY key = 0;
    DWORD size = 0;
    std::vector<BYTE> blob(4096);
    const bool read = CryptAcquireContextW(&provider, kFirstContainer,
                                           vkstore::kVelkoraProviderName, PROV_RSA_FULL, 0) &&
                      CryptGetUserKey(provider, AT_KEYEXCHANGE, &key) &&
                      (size = static_cast<DWORD>(blob.size()),
                       CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, blob.data(), &size));
    if (key != 0) {
        CryptDestroyKey(key);
    }
    if (provider != 0) {
        CryptReleaseContext(provider, 0);
    }
    return read ? size : 0;
}

// A temporary world for this run: the token store, runtime files and SoftHSM2's tokens.
fs::path MakeRoot() {
    std::string pattern = (fs::temp_directory_path() / "bench_token_read.XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    const fs::path root = pattern;
    for (const char* sub : {"data", "config", "runtime", "cache", "tmp"}) {
        fs::create_directories(root / sub);
    }
    fs::permissions(root / "runtime", fs::perms::owner_all);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    setenv("TMPDIR", (root / "tmp").c_str(), 1);
    return root;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child-read") {
        return ChildRead();
    }
    const fs::path root = MakeRoot();
    const double setUp = Seconds([&] { SetUp(root); });
    std::printf("set-up (untimed): %.1f s, %d containers, %d keys with certificates\n", setUp,
                kContainers, 2 * kContainers);

    // From here on the service holds the login, and every read asks it.
    vkstore::TokenWorld world;
    vkstore::service::TokenServiceClient().Login(world.Root(), kReader, kPin);
    Require(KeyRead() > 0, "the key read");
    const double keyRead = BestOf(50, [] { KeyRead(); });
    vkstore::TokenStore costly(world.TokenFile(world.FindToken(kPinCostLabel)->uuid));
    const double pinCheck = BestOf(3, [&] { costly.Unlock(kPin); });

    const std::string self = "/proc/self/exe";
    Require(Run({self, "--child-read"}) == 0, "the cold read");
    Require(
        Run({"pkcs11-tool", "--module", kModule, "--login", "--pin", kPin, "--list-objects"}) == 0,
        "pkcs11-tool --list-objects");
    double cold = 1e30, peer = 1e30;
    for (int i = 0; i < 5; ++i) {
        cold = std::min(cold, Seconds([&] { Run({self, "--child-read"}); }));
        peer = std::min(peer, Seconds([&] {
                            Run({"pkcs11-tool", "--module", kModule, "--login", "--pin", kPin,
                                 "--list-objects"});
                        }));
    }

    // Warm: a fresh token object per repetition for the first read, then the same read again.
    double first = 1e30, warm = 1e30;
    ReadResult result;
    for (int rep = 0; rep < 5; ++rep) {
        SDP::SINGLETON::Teardown();
        CTokenInfo token(Wide(kReader), {});
        first = std::min(first, Seconds([&] { result = ReadAll(token); }));
        Require(result.certificates == 2 * kContainers, "the first read");
        ReadResult again;
        warm = std::min(warm, BestOf(200, [&] { again = ReadAll(token); }));
        Require(again.bytes == result.bytes && again.nameChars == result.nameChars, "warm read");
    }
    SDP::SINGLETON::Teardown();

    std::printf("cold read, fresh process:        %8.2f ms\n", cold * 1e3);
    std::printf("pkcs11-tool --list-objects:      %8.2f ms\n", peer * 1e3);
    std::printf("first read inside a process:     %8.2f ms\n", first * 1e3);
    std::printf("warm read from the caches:       %8.4f ms\n", warm * 1e3);
    std::printf("read: %d containers, %d keys, %d certificates (%zu bytes)\n", result.containers,
                result.keys, result.certificates, result.bytes);
    std::printf("logged-in key read:              %8.2f ms\n", keyRead * 1e3);
    std::printf("one PIN check at the default cost: %6.2f ms\n", pinCheck * 1e3);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    std::printf("speedup cold read vs pkcs11-tool: %.2f\n", peer / cold);
    std::printf("speedup warm read vs cold read: %.1f\n", first / warm);
    std::printf("speedup logged-in key read vs PIN check: %.1f\n", pinCheck / keyRead);
    return 0;
}
