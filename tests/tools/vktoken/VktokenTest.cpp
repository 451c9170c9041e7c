// vktoken as a user runs it: the listing, exit codes, the demo world, a write killed midway and
// the import of a PFX file made by openssl. Store internals, and reader events from another
// process, are tested beside the store and the middleware.
#include <openssl/pkcs12.h>

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CertTestUtil.h"
#include "HostilePfx.h"
#include "platform/crypto/CryptApi.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "tools/vkcert_cli/CliRun.h"

namespace {

// Standard error goes to a file of the world's temporary folder; a watchdog of that many seconds
// ends a run that takes longer (exit 124).
clitest::Result Vktoken(const std::vector<std::string>& args, int watchdog = 120) {
    std::vector<std::string> argv{std::to_string(watchdog), VKTOKEN};
    argv.insert(argv.end(), args.begin(), args.end());
    return clitest::Run(std::filesystem::temp_directory_path(), "timeout", argv);
}

}  // namespace

TEST(Vktoken, ListsReadersRefusesWhatCannotBeDoneAndImportsAPfxFile) {
    vktest::TempWorld temp;
    EXPECT_EQ(Vktoken({"add-reader", "R one"}).exitCode, 0);
    EXPECT_EQ(Vktoken({"add-reader", "R two"}).exitCode, 0);
    EXPECT_EQ(Vktoken({"make-token", "Alpha", "--pin", "4321", "--type", "0", "--version", "2.3",
                       "--memory", "1023", "--id", "12345678"})
                  .exitCode,
              0);
    EXPECT_EQ(Vktoken({"insert", "R two", "Alpha"}).exitCode, 0);
    EXPECT_EQ(Vktoken({"list"}).out, "R one\t-\nR two\tAlpha\n");

    const std::pair<std::vector<std::string>, int> refused[] = {
        {{"remove", "R one"}, 1},             // an empty reader
        {{"insert", "R two", "Alpha"}, 1},    // an occupied reader
        {{"insert", "R three", "Alpha"}, 1},  // an unknown reader
        {{"insert", "R one", "Beta"}, 1},     // an unknown token
        {{"make-token", "X", "--type", "7"}, 2},
        {{"frobnicate"}, 2}};
    for (const auto& [args, code] : refused) {
        EXPECT_EQ(Vktoken(args).exitCode, code) << args[0];
    }
    EXPECT_EQ(Vktoken({"--help"}).exitCode, 0);

    vkstore::TokenWorld world;
    vkstore::TokenStore store(world.TokenFile(world.FindToken("Alpha")->uuid));
    const auto record = store.Record();
    EXPECT_EQ(record.type, 0);
    EXPECT_EQ(record.versionMajor, 2);
    EXPECT_EQ(record.versionMinor, 3);
    EXPECT_EQ(record.memorySize, 1023u);
    EXPECT_EQ(record.tokenId, 0x12345678u);
    EXPECT_NO_THROW(store.Unlock("4321"));

    // The key and certificate of a PFX file made by openssl.
    const auto made = certtest::MakeCert(temp.Root(), "c", "rsa:1024", "/CN=Imported");
    const std::string pfx = (temp.Root() / "p.pfx").string();
    certtest::Openssl({"pkcs12", "-export", "-inkey", (temp.Root() / "c.key").string(), "-in",
                       made.pem.string(), "-out", pfx, "-passout", "pass:secret"});
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin", "1"}).exitCode, 0);
    EXPECT_EQ(
        Vktoken({"import-pfx", "T", "imp", pfx, "--pin", "1", "--password", "wrong"}).exitCode, 1);
    ASSERT_EQ(Vktoken({"import-pfx", "T", "imp", pfx, "--pin", "1", "--password", "secret",
                       "--spec", "signature"})
                  .exitCode,
              0);
    EXPECT_NE(Vktoken({"show", "T"}).out.find("key\tsignature\t1024\tnot-exportable\tcertificate"),
              std::string::npos);
    vkstore::TokenStore imported(world.TokenFile(world.FindToken("T")->uuid));
    const auto key = imported.Key(imported.FindContainer("imp").value().id, AT_SIGNATURE);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->certificate, made.der);

    // A file without a MAC is read as vkcert-cli lists it; files asking for unbounded work are
    // refused as damaged before it, each well within the watchdog.
    const std::string nomac = (temp.Root() / "nomac.pfx").string();
    certtest::Openssl({"pkcs12", "-export", "-nomac", "-inkey", (temp.Root() / "c.key").string(),
                       "-in", made.pem.string(), "-out", nomac, "-passout", "pass:secret"});
    const std::string costly = (temp.Root() / "costly.pfx").string();
    const auto bytes = certtest::ReadFile(pfx);
    const auto mac = hostilepfx::WithMacIterations({bytes.begin(), bytes.end()}, 100000000);
    std::ofstream(costly, std::ios::binary)
        .write(reinterpret_cast<const char*>(mac.data()), static_cast<std::streamsize>(mac.size()));
    const std::string big = (temp.Root() / "big.pfx").string();
    std::ofstream{big};
    std::filesystem::resize_file(big, 100 << 20);
    const std::pair<std::string, int> files[] = {
        {nomac, 0}, {costly, 1}, {big, 1}, {"/dev/zero", 1}};
    for (const auto& [file, code] : files) {
        const clitest::Result r =
            Vktoken({"import-pfx", "T", "from " + file.substr(file.rfind('/') + 1), file, "--pin",
                     "1", "--password", "secret"},
                    20);
        EXPECT_EQ(r.exitCode, code) << file << ": " << r.err;
        if (code != 0) {
            EXPECT_NE(r.err.find("not a PKCS #12 file, or damaged"), std::string::npos) << r.err;
        }
    }
}

TEST(Vktoken, DemoBuildsItsWorldOnceReplacesItWhenForcedAndSurvivesAKilledWrite) {
    vktest::TempWorld temp;
    auto demo = Vktoken({"demo"});
    ASSERT_EQ(demo.exitCode, 0) << demo.out;
    auto list = Vktoken({"list"}).out;
    EXPECT_EQ(list,
              "Velkora USB Reader 0\tVelkora Pro Demo\n"
              "Velkora USB Reader 1\tVelkora Mini Demo\n"
              "Velkora USB Reader 2\t-\n");
    EXPECT_EQ(Vktoken({"demo"}).exitCode, 1) << "a world that is not empty is kept";
    EXPECT_EQ(Vktoken({"remove", "Velkora USB Reader 0"}).exitCode, 0);
    EXPECT_EQ(Vktoken({"demo", "--force"}).exitCode, 0);
    EXPECT_EQ(Vktoken({"list"}).out, list);

    // A default container whose key has its certificate; what the provider serves of the demo
    // world is checked by the vkcert-cli list test.
    EXPECT_NE(Vktoken({"show", "Velkora Pro Demo"}).out.find("\tdefault\n  key\texchange\t"),
              std::string::npos);

    // A write killed midway leaves every token readable.
    for (int round = 0; round < 3; ++round) {
        auto child = vktest::ChildProcess::Exec({VKTOKEN, "add-container", "Velkora Pro Demo",
                                                 "k" + std::to_string(round), "--pin", "12345678",
                                                 "--keys", "both", "--bits", "4096"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + 400 * round));
        child.Kill(SIGKILL);
        child.Wait();
        vkstore::TokenWorld world;
        for (const auto& token : world.Tokens()) {
            vkstore::TokenStore store(world.TokenFile(token.uuid));
            EXPECT_FALSE(store.Record().label.empty());
            for (const auto& container : store.Containers()) {
                EXPECT_NO_THROW(store.Keys(container.id));
            }
        }
        EXPECT_EQ(Vktoken({"list"}).exitCode, 0);
    }
}
