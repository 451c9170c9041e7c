// How long files asking for unbounded work take to be refused: a MAC of 100 million
// iterations, 40 key bags of 2 million iterations each, a 100 MB file and /dev/zero, against an
// ordinary file of openssl read whole. Each is timed in process (ReadPfxFile, best of several)
// as a fresh `vkcert-cli pfx` process and as a fresh `vktoken import-pfx` onto a token of a world
// of its own (process start and the PIN check included). The files and the world are made
// untimed in a temporary folder that is removed at the end.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "BenchTiming.h"
#include "HostilePfx.h"
#include "platform/cert/pkcs12/PfxReader.h"

namespace fs = std::filesystem;

namespace {

using bench::BestOf;

// Runs a program with standard input from a file (or /dev/null) and its output thrown away.
int Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    return bench::Run(args, input.c_str());
}

std::vector<unsigned char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

}  // namespace

int main() {
    char pattern[] = "/tmp/bench_pfx_bounds-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = pattern;
    const auto p = [&](const char* name) { return (dir / name).string(); };
    const bool made =
        Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", p("key.pem"),
             "-out", p("cert.pem"), "-subj", "/CN=bench", "-days", "30"}) == 0 &&
        Run({"openssl", "pkcs12", "-export", "-in", p("cert.pem"), "-inkey", p("key.pem"), "-out",
             p("plain.p12"), "-passout", "pass:secret"}) == 0 &&
        Run({"openssl", "pkcs12", "-export", "-in", p("cert.pem"), "-inkey", p("key.pem"), "-out",
             p("costly.p12"), "-passout", "pass:secret", "-iter", "2000000", "-nomac"}) == 0;
    if (!made) {
        std::fprintf(stderr, "openssl could not make the files\n");
        fs::remove_all(dir);
        return 1;
    }
    WriteAll(dir / "many-bags.p12", hostilepfx::WithKeyBagCopies(ReadAll(p("costly.p12")), 40));
    WriteAll(dir / "100-million.p12",
             hostilepfx::WithMacIterations(ReadAll(p("plain.p12")), 100000000));
    std::ofstream(dir / "100mb.p12").close();
    fs::resize_file(dir / "100mb.p12", 100u << 20);
    std::ofstream(dir / "password") << "secret\n";
    std::ofstream(dir / "pin-and-password") << "1\nsecret\n";
    // The token world lives in the folder too.
    for (const char* var : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        setenv(var, dir.c_str(), 1);
    }
    if (Run({VKTOKEN, "make-token", "Bench", "--pin-stdin"}, p("pin-and-password")) != 0) {
        std::fprintf(stderr, "vktoken could not make the token\n");
        fs::remove_all(dir);
        return 1;
    }

    struct Case {
        const char* what;
        std::string file;
    };
    const Case cases[] = {
        {"ordinary file (read whole)", p("plain.p12")},
        {"MAC of 100 million iterations", p("100-million.p12")},
        {"40 key bags of 2 million iterations", p("many-bags.p12")},
        {"100 MB file", p("100mb.p12")},
        {"/dev/zero", "/dev/zero"},
    };
    std::printf("%-38s %12s %12s %10s %12s %6s\n", "file", "in process", "vkcert-cli", "exit",
                "vktoken", "exit");
    for (const auto& c : cases) {
        DWORD error = 0;
        const double inProcess = BestOf(5, [&] {
            vk::pkcs12::PfxContents contents;
            error = vk::pkcs12::ReadPfxFile(c.file.c_str(), L"secret", contents);
        });
        int code = -1;
        const double process = BestOf(3, [&] {
            code = Run({VKCERT_CLI, "pfx", c.file, "--password-stdin"}, p("password"));
        });
        int imported = -1;
        const double import = BestOf(3, [&] {
            imported = Run({VKTOKEN, "import-pfx", "Bench", "imported", c.file, "--replace",
                            "--pin-stdin", "--password-stdin"},
                           p("pin-and-password"));
        });
        std::printf("%-38s %9.1f ms %9.1f ms %4d (0x%08X) %9.1f ms %6d\n", c.what, inProcess * 1e3,
                    process * 1e3, code, static_cast<unsigned>(error), import * 1e3, imported);
    }
    fs::remove_all(dir);
    return 0;
}
