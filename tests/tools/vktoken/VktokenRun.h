// Helpers of the vktoken tests: running it as a script would, what a token holds, PFX files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CertTestUtil.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "tools/vkcert_cli/CliRun.h"

namespace vkt {

namespace fs = std::filesystem;
inline const std::string kPin = "1234";

// Runs vktoken (or another program), ended by a watchdog of that many seconds (exit 124); expects
// that exit code and `word` in its standard error.
inline clitest::Result Vktoken(int code, const std::string& word,
                               const std::vector<std::string>& args,
                               const std::string& input = kPin + "\n", int watchdog = 120,
                               const char* program = VKTOKEN) {
    std::vector<std::string> argv{std::to_string(watchdog), program};
    argv.insert(argv.end(), args.begin(), args.end());
    auto r = clitest::Run(fs::temp_directory_path(), "timeout", argv, &input);
    EXPECT_EQ(r.exitCode, code) << args[0] << " " << args.back() << ": " << r.err;
    EXPECT_NE(r.err.find(word), std::string::npos) << r.err;
    return r;
}

inline vkstore::TokenStore Store(const std::string& label) {
    vkstore::TokenWorld world;
    return vkstore::TokenStore(world.TokenFile(world.FindToken(label).value().uuid));
}

inline vkstore::KeyEntry Key(const std::string& label, const std::string& container, int spec = 1) {
    auto store = Store(label);
    return store.Key(store.FindContainer(container).value().id, spec).value();
}

// A new key and certificate exported by openssl with password "secret": the file and the
// certificate.
inline std::pair<std::string, std::vector<BYTE>> MakePfx(
    const std::string& name, const std::string& key = "rsa:1024",
    const std::vector<std::string>& options = {}) {
    const fs::path dir = fs::temp_directory_path() / name;
    fs::create_directories(dir);
    const auto made = certtest::MakeCert(dir, "c", key, "/CN=Imported");
    std::vector<std::string> args{"pkcs12",   "-export",
                                  "-passout", "pass:secret",
                                  "-inkey",   (dir / "c.key").string(),
                                  "-in",      made.pem.string(),
                                  "-out",     (dir / "c.pfx").string()};
    args.insert(args.end(), options.begin(), options.end());
    certtest::Openssl(args);
    return {(dir / "c.pfx").string(), made.der};
}

}  // namespace vkt
