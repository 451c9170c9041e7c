// vktoken's writes are all or nothing: commands killed at random moments, run forty at once or
// racing for the same PIN leave every container whole, no stray token file, one working PIN and
// no "database is locked" in front of the user.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "CertTestUtil.h"
#include "platform/token/SqliteDb.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/ChildProcess.h"
#include "support/TempWorld.h"
#include "tools/vkcert_cli/CliRun.h"

namespace fs = std::filesystem;

namespace {

const std::string kPin = "1234";

// Standard input comes from `input` (PIN lines), standard error joins standard output.
vktest::ChildProcess Start(const vktest::TempWorld& temp, const std::vector<std::string>& args,
                           const std::string& input = kPin + "\n") {
    static int serial = 0;
    const fs::path in = temp.Root() / ("in" + std::to_string(serial++));
    std::ofstream(in, std::ios::binary) << input;
    std::vector<std::string> argv = {"sh", "-c", "exec \"$@\" <\"$0\" 2>&1", in.string(), VKTOKEN};
    argv.insert(argv.end(), args.begin(), args.end());
    return vktest::ChildProcess::Exec(argv, true);
}

clitest::Result Vktoken(const std::vector<std::string>& args,
                        const std::string& input = kPin + "\n") {
    return clitest::Run(fs::temp_directory_path(), VKTOKEN, args, &input);
}

vkstore::TokenStore Store(const std::string& label) {
    vkstore::TokenWorld world;
    return vkstore::TokenStore(world.TokenFile(world.FindToken(label).value().uuid));
}

bool Opens(const std::string& label, const std::string& pin) {
    try {
        Store(label).Unlock(pin);
        return true;
    } catch (const vkstore::StoreError&) {
        return false;
    }
}

// Every file of the token folder is the world, the demo authority or a token the world lists.
void ExpectNoStrayFile() {
    vkstore::TokenWorld world;
    std::set<std::string> listed;
    for (const auto& token : world.Tokens()) {
        listed.insert(token.uuid + ".db");
    }
    for (const auto& entry : fs::directory_iterator(world.Root())) {
        std::string name = entry.path().filename().string();
        for (const char* suffix : {"-wal", "-shm"}) {
            if (name.ends_with(suffix)) {
                name.resize(name.size() - 4);
            }
        }
        EXPECT_TRUE(name == "world.db" || name.starts_with("demo-ca.") || listed.count(name))
            << "stray " << entry.path();
    }
}

// Kills `count` runs of a command, each at a random moment of up to maxMs.
void KillLoop(const vktest::TempWorld& temp, int count, int maxMs,
              const std::function<std::vector<std::string>(int)>& command,
              const std::function<std::string(int)>& input = {}) {
    std::mt19937 random(std::random_device{}());
    for (int i = 0; i < count; ++i) {
        auto child = Start(temp, command(i), input ? input(i) : kPin + "\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % maxMs));
        child.Kill(SIGKILL);
        child.Wait();
    }
}

struct Pfx {
    std::string rsa, ec;
};

Pfx MakePfx(const vktest::TempWorld& temp) {
    Pfx pfx;
    for (const auto& [name, key, out] :
         {std::tuple{"r", "rsa:1024", &pfx.rsa}, std::tuple{"e", "ec:prime256v1", &pfx.ec}}) {
        const fs::path dir = temp.Root() / name;
        fs::create_directories(dir);
        const auto made = certtest::MakeCert(dir, "c", key, "/CN=Imported");
        *out = (dir / "c.pfx").string();
        certtest::Openssl({"pkcs12", "-export", "-inkey", (dir / "c.key").string(), "-in",
                           made.pem.string(), "-out", *out, "-passout", "pass:pw"});
    }
    return pfx;
}

std::vector<std::string> Import(const std::string& container, const std::string& file) {
    return {"import-pfx", "T", container, file, "--pin-stdin", "--password-stdin"};
}

}  // namespace

TEST(VktokenAtomic, ImportNeverReplacesAKeyUnaskedAndAFailedImportLeavesNothing) {
    vktest::TempWorld temp;
    const Pfx pfx = MakePfx(temp);
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin-stdin"}).exitCode, 0);
    ASSERT_EQ(
        Vktoken({"add-container", "T", "c", "--pin-stdin", "--bits", "1024", "--cert", "none"})
            .exitCode,
        0);
    const auto before = Store("T").Key(Store("T").FindContainer("c")->id, 1)->publicDer;

    const auto refused = Vktoken(Import("c", pfx.rsa), kPin + "\npw\n");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--replace"), std::string::npos) << refused.err;
    EXPECT_EQ(Store("T").Key(Store("T").FindContainer("c")->id, 1)->publicDer, before);

    auto replace = Import("c", pfx.rsa);
    replace.push_back("--replace");
    EXPECT_EQ(Vktoken(replace, kPin + "\npw\n").exitCode, 0);
    EXPECT_NE(Store("T").Key(Store("T").FindContainer("c")->id, 1)->publicDer, before);

    const auto ec = Vktoken(Import("ec", pfx.ec), kPin + "\npw\n");
    EXPECT_EQ(ec.exitCode, 1);
    EXPECT_NE(ec.err.find("RSA"), std::string::npos) << ec.err;
    EXPECT_FALSE(Store("T").FindContainer("ec")) << "a failed import leaves no empty container";
}

TEST(VktokenAtomic, FortyCommandsAtOnceNeverSeeALockAndRacingPinChangesHaveOneWinner) {
    vktest::TempWorld temp;
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin-stdin", "--retries", "20"}).exitCode, 0);
    // Another program holds the token's write lock a while when they start.
    vkstore::TokenWorld world;
    vkstore::SqliteDb holder(world.TokenFile(world.FindToken("T")->uuid), false);
    holder.Exec("BEGIN IMMEDIATE");
    std::vector<vktest::ChildProcess> children;
    for (int i = 0; i < 40; ++i) {
        children.push_back(Start(temp, {"add-container", "T", "p" + std::to_string(i),
                                        "--pin-stdin", "--bits", "1024", "--cert", "none"}));
    }
    std::this_thread::sleep_for(std::chrono::seconds(7));
    holder.Exec("COMMIT");
    for (auto& child : children) {
        const std::string out = child.ReadAll();
        EXPECT_EQ(child.Wait(), 0) << out;
    }
    EXPECT_EQ(Store("T").Containers().size(), 40u);

    // Twelve wrong PINs at once spend exactly twelve tries.
    children.clear();
    for (int i = 0; i < 12; ++i) {
        children.push_back(Start(temp, {"delete-container", "T", "p0", "--pin-stdin"}, "bad\n"));
    }
    for (auto& child : children) {
        EXPECT_NE(child.ReadAll().find("wrong PIN"), std::string::npos);
        EXPECT_EQ(child.Wait(), 1);
    }
    EXPECT_EQ(Store("T").Pin().retriesLeft, 8u);

    std::string pin = kPin;
    for (int round = 0; round < 4; ++round) {
        const std::string a = "a" + std::to_string(round), b = "b" + std::to_string(round);
        auto first = Start(temp, {"change-pin", "T", "--pin-stdin", "--new-pin-stdin"},
                           pin + "\n" + a + "\n");
        auto second = Start(temp, {"change-pin", "T", "--pin-stdin", "--new-pin-stdin"},
                            pin + "\n" + b + "\n");
        const std::string outs[] = {first.ReadAll(), second.ReadAll()};
        const int codes[] = {first.Wait(), second.Wait()};
        ASSERT_EQ((codes[0] == 0) + (codes[1] == 0), 1) << outs[0] << outs[1];
        const int loser = codes[0] == 0 ? 1 : 0;
        EXPECT_EQ(codes[loser], 1);
        EXPECT_NE(outs[loser].find("wrong PIN"), std::string::npos) << outs[loser];
        pin = codes[0] == 0 ? a : b;
        EXPECT_TRUE(Opens("T", pin));
        EXPECT_FALSE(Opens("T", loser == 0 ? a : b)) << "only the winner's PIN opens the token";
    }
}

TEST(VktokenAtomic, KilledWritesLeaveWholeContainersOnePinAndNoStrayTokenFile) {
    vktest::TempWorld temp;
    const Pfx pfx = MakePfx(temp);
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin-stdin"}).exitCode, 0);

    KillLoop(
        temp, 30, 150, [&](int i) { return Import("i" + std::to_string(i), pfx.rsa); },
        [](int) { return kPin + "\npw\n"; });
    KillLoop(temp, 30, 250, [](int i) {
        return std::vector<std::string>{"add-container", "T",      "k" + std::to_string(i),
                                        "--pin-stdin",   "--keys", "both",
                                        "--bits",        "1024",   "--cert",
                                        "none"};
    });
    auto store = Store("T");
    for (const auto& container : store.Containers()) {
        EXPECT_EQ(store.Keys(container.id).size(), container.name[0] == 'k' ? 2u : 1u)
            << container.name;
    }

    std::string pin = kPin;
    std::mt19937 random(std::random_device{}());
    for (int i = 0; i < 30; ++i) {
        const std::string next = "n" + std::to_string(i);
        auto child = Start(temp, {"change-pin", "T", "--pin-stdin", "--new-pin-stdin"},
                           pin + "\n" + next + "\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 120));
        child.Kill(SIGKILL);
        child.Wait();
        const bool old = Opens("T", pin), changed = Opens("T", next);
        ASSERT_NE(old, changed) << "exactly one PIN opens the token";
        pin = changed ? next : pin;
    }

    KillLoop(temp, 30, 120, [](int i) {
        return std::vector<std::string>{"make-token", "m" + std::to_string(i), "--pin-stdin"};
    });
    ASSERT_EQ(Vktoken({"add-reader", "after"}).exitCode, 0);
    ExpectNoStrayFile();
}

TEST(VktokenAtomic, DemoSurvivesKillsAndASecondCopyAtOnce) {
    vktest::TempWorld temp;
    const auto started = std::chrono::steady_clock::now();
    const auto demo = Vktoken({"demo"});
    ASSERT_EQ(demo.exitCode, 0) << demo.err;
    // Kills land anywhere in a run, the last insertion included.
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - started)
                          .count();
    const std::string list = Vktoken({"list"}).out;
    const std::string show = Vktoken({"show", "Velkora Pro Demo"}).out;
    KillLoop(temp, 30, static_cast<int>(took) + 1, [](int) {
        return std::vector<std::string>{"demo", "--force"};
    });
    EXPECT_EQ(Vktoken({"list"}).out, list);

    auto a = Start(temp, {"demo", "--force"});
    auto b = Start(temp, {"demo", "--force"});
    const std::string outA = a.ReadAll(), outB = b.ReadAll();
    EXPECT_EQ(a.Wait(), 0) << outA;
    EXPECT_EQ(b.Wait(), 0) << outB;
    EXPECT_EQ(Vktoken({"list"}).out, list);
    const std::string shown = Vktoken({"show", "Velkora Pro Demo"}).out;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'),
              std::count(show.begin(), show.end(), '\n'))
        << shown;
    ExpectNoStrayFile();
}

TEST(VktokenAtomic, EmptyWorldAndTokenFilesAreReportedByNameAndLeftAsTheyAre) {
    vktest::TempWorld temp;
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin-stdin"}).exitCode, 0);
    // Found without opening the world here: this process keeps no connection to the files.
    const fs::path root = vkstore::TokenWorld::DefaultRoot(), worldFile = root / "world.db";
    fs::path token;
    for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.path().extension() == ".db" && entry.path() != worldFile) {
            token = entry.path();
        }
    }
    const auto empty = [](const fs::path& file) {
        for (const char* suffix : {"-wal", "-shm"}) {
            fs::remove(file.string() + suffix);
        }
        fs::resize_file(file, 0);
    };
    empty(token);
    const auto shown = Vktoken({"show", "T"});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_NE(shown.err.find(token.filename().string()), std::string::npos) << shown.err;
    EXPECT_EQ(fs::file_size(token), 0u) << "a damaged token is not rewritten";

    empty(worldFile);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list"}, {"tokens"}, {"make-token", "U", "--pin-stdin"}}) {
        const auto run = Vktoken(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_NE(run.err.find("world.db"), std::string::npos) << run.err;
    }
    EXPECT_EQ(fs::file_size(worldFile), 0u) << "a damaged world is not replaced";
    EXPECT_TRUE(fs::exists(token)) << "nor are the files of its tokens removed";

    // vkcert-cli names what it cannot read: the damaged world, a token folder that is a file.
    const auto list = [] {
        return clitest::Run(fs::temp_directory_path(), VKCERT_CLI, {"list"}, &kPin);
    };
    auto listed = list();
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_NE(listed.err.find(worldFile.string()), std::string::npos) << listed.err;
    fs::rename(root, root.string() + ".kept");
    std::ofstream(root) << "not a folder";
    listed = list();
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_NE(listed.err.find(root.string()), std::string::npos) << listed.err;
}

TEST(VktokenAtomic, TheDemoAuthorityKeepsItsKeyInAFolderOfItsOwn) {
    vktest::TempWorld temp;
    const fs::path tokens = vkstore::TokenWorld::DefaultRoot();
    const fs::path folder = tokens.parent_path() / "demo-ca";
    const auto mode = [](const fs::path& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    // A world from before keeps its authority: the key moves, the certificate stays.
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin-stdin"}).exitCode, 0);
    ASSERT_EQ(Vktoken({"add-container", "T", "a", "--pin-stdin", "--bits", "1024", "--cert", "ca"})
                  .exitCode,
              0);
    const fs::path oldKey = tokens / "demo-ca.key";
    if (fs::exists(folder / "demo-ca.key")) {
        fs::rename(folder / "demo-ca.key", oldKey);  // where an older vktoken left it
    }
    fs::remove_all(folder);
    const std::string ca = certtest::Openssl({"x509", "-in", (tokens / "demo-ca.crt").string()});
    ASSERT_EQ(Vktoken({"add-container", "T", "b", "--pin-stdin", "--bits", "1024", "--cert", "ca"})
                  .exitCode,
              0);
    EXPECT_FALSE(fs::exists(oldKey)) << "no private key lies among the tokens";
    EXPECT_EQ(mode(folder), 0700u);
    EXPECT_EQ(mode(folder / "demo-ca.key"), 0600u);
    EXPECT_EQ(certtest::Openssl({"x509", "-in", (tokens / "demo-ca.crt").string()}), ca)
        << "the same authority";
}
