// vktoken's writes are all or nothing: commands killed at random moments, run forty at once or
// racing for the same PIN leave whole containers, no stray token file, one working PIN and no
// "database is locked"; damaged files are named; the demo authority keeps its key apart.
#include <signal.h>

#include <chrono>
#include <functional>
#include <random>
#include <span>
#include <thread>
#include <utility>

#include "VktokenRun.h"
#include "platform/token/SqliteDb.h"
#include "platform/token/StoreError.h"

using namespace vkt;

namespace {

// vktoken in the background, '#' in its words numbered; standard error joins standard output.
vktest::ChildProcess Start(std::vector<std::string> args, const std::string& input = kPin + "\n") {
    static int serial = 0;
    const fs::path in = fs::temp_directory_path() / ("in" + std::to_string(++serial));
    std::ofstream(in) << input;
    for (auto& word : args) {
        if (const auto at = word.find('#'); at != std::string::npos) {
            word.replace(at, 1, std::to_string(serial));
        }
    }
    args.insert(args.begin(), {"sh", "-c", "exec \"$@\" <\"$0\" 2>&1", in.string(), VKTOKEN});
    return vktest::ChildProcess::Exec(args, true);
}

bool Opens(const std::string& pin) {
    try {
        Store("T").Unlock(pin);
        return true;
    } catch (const vkstore::StoreError&) {
        return false;
    }
}

// The token folder holds the world, the demo authority and the tokens the world lists.
void ExpectNoStrayFile() {
    vkstore::TokenWorld world;
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(world.Root())) {
        const std::string name = entry.path().filename().string();
        files +=
            !name.ends_with("-wal") && !name.ends_with("-shm") && !name.starts_with("demo-ca.");
    }
    EXPECT_EQ(files, world.Tokens().size() + 1) << "stray files in " << world.Root();
}

// Waits for them all; expects that exit code and `word` in what each wrote.
void ExpectAll(std::span<vktest::ChildProcess> children, int code, const std::string& word = "") {
    for (auto& child : children) {
        const std::string out = child.ReadAll();
        EXPECT_EQ(child.Wait(), code) << out;
        EXPECT_NE(out.find(word), std::string::npos) << out;
    }
}

// Kills 30 runs of a command at random moments of up to maxMs; `after` looks at what each left.
void KillLoop(int maxMs, const std::vector<std::string>& command,
              const std::function<std::string()>& input = {},
              const std::function<void()>& after = {}) {
    std::mt19937 random(std::random_device{}());
    for (int i = 0; i < 30; ++i) {
        auto child = Start(command, input ? input() : kPin + "\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % maxMs));
        child.Kill(SIGKILL);
        child.Wait();
        if (after) {
            after();
        }
    }
}

const std::vector<std::string> kAdd = {"add-container", "T",    "k#",     "--pin-stdin",
                                       "--bits",        "1024", "--cert", "none"};
const std::string kDemo = "Velkora Pro Demo";
const std::vector<std::string> kChangePin = {"change-pin", "T", "--pin-stdin", "--new-pin-stdin"};

}  // namespace

TEST(VktokenAtomic, CommandsAtOnceOrKilledLeaveWholeContainersOnePinAndNoStrayTokenFile) {
    vktest::TempWorld temp;
    const std::string pfx = MakePfx("r").first;
    Vktoken(0, "", {"make-token", "T", "--pin-stdin", "--retries", "20"});
    // Forty start while another program holds the token's write lock a while: none sees a lock.
    vkstore::TokenWorld world;
    vkstore::SqliteDb holder(world.TokenFile(world.FindToken("T")->uuid), false);
    holder.Exec("BEGIN IMMEDIATE");
    std::vector<vktest::ChildProcess> forty, twelve;
    for (int i = 0; i < 40; ++i) {
        forty.push_back(Start(kAdd));
    }
    std::this_thread::sleep_for(std::chrono::seconds(7));
    holder.Exec("COMMIT");
    ExpectAll(forty, 0);
    for (int i = 0; i < 12; ++i) {  // twelve wrong PINs at once spend exactly twelve tries
        twelve.push_back(Start(kAdd, "bad\n"));
    }
    ExpectAll(twelve, 1, "wrong PIN");
    EXPECT_EQ(Store("T").Containers().size(), 40u);
    EXPECT_EQ(Store("T").Pin().retriesLeft, 8u);

    std::string pin = kPin;
    for (int round = 0; round < 4; ++round) {
        const std::string next[] = {"a" + std::to_string(round), "b" + std::to_string(round)};
        vktest::ChildProcess runs[] = {Start(kChangePin, pin + "\n" + next[0] + "\n"),
                                       Start(kChangePin, pin + "\n" + next[1] + "\n")};
        const std::string outs = runs[0].ReadAll() + runs[1].ReadAll();
        EXPECT_EQ(runs[0].Wait() + runs[1].Wait(), 1) << outs;  // one 0, one 1
        EXPECT_NE(outs.find("wrong PIN"), std::string::npos) << outs;
        pin = next[Opens(next[0]) ? 0 : 1];
        EXPECT_NE(Opens(next[0]), Opens(next[1])) << "only the winner's PIN opens the token";
    }

    KillLoop(150, {"import-pfx", "T", "i#", pfx, "--pin-stdin", "--password-stdin"},
             [&] { return pin + "\nsecret\n"; });
    KillLoop(250, {"add-container", "T", "b#", "--pin-stdin", "--keys", "both", "--bits", "1024"},
             [&] { return pin + "\n"; });
    KillLoop(120, {"make-token", "m#", "--pin-stdin"});
    auto store = Store("T");
    for (const auto& container : store.Containers()) {
        EXPECT_EQ(store.Keys(container.id).size(), container.name[0] == 'b' ? 2u : 1u)
            << container.name;
    }
    std::string next = "5678";
    KillLoop(
        120, kChangePin, [&] { return pin + "\n" + next + "\n"; },
        [&] {
            EXPECT_NE(Opens(pin), Opens(next)) << "exactly one PIN opens the token";
            pin = Opens(next) ? std::exchange(next, pin) : pin;
        });
    Vktoken(0, "", {"add-reader", "after"});
    ExpectNoStrayFile();
}

TEST(VktokenAtomic, DemoSurvivesKillsAndASecondCopyKeepsItsAuthorityApartAndEmptyFilesAreNamed) {
    vktest::TempWorld temp;
    const auto started = std::chrono::steady_clock::now();
    Vktoken(0, "", {"demo"});
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    const std::string list = Vktoken(0, "", {"list"}).out,
                      show = Vktoken(0, "", {"show", kDemo}).out;
    EXPECT_EQ(list,
              "Velkora USB Reader 0\tVelkora Pro Demo\n"
              "Velkora USB Reader 1\tVelkora Mini Demo\n"
              "Velkora USB Reader 2\t-\n");
    EXPECT_NE(show.find("\tdefault\n  key\texchange\t"), std::string::npos) << show;
    Vktoken(1, "", {"demo"});  // a world that is not empty is kept
    // Kills land anywhere in a run, the last insertion included.
    KillLoop(static_cast<int>(took.count()) + 1, {"demo", "--force"});
    EXPECT_EQ(Vktoken(0, "", {"list"}).out, list);

    Vktoken(0, "", {"remove", "Velkora USB Reader 0"});
    vktest::ChildProcess runs[] = {Start({"demo", "--force"}), Start({"demo", "--force"})};
    ExpectAll(runs, 0);
    EXPECT_EQ(Vktoken(0, "", {"list"}).out, list);
    const std::string shown = Vktoken(0, "", {"show", kDemo}).out;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'),
              std::count(show.begin(), show.end(), '\n'))
        << shown;
    ExpectNoStrayFile();

    const fs::path tokens = vkstore::TokenWorld::DefaultRoot(), oldKey = tokens / "demo-ca.key";
    const fs::path folder = tokens.parent_path() / "demo-ca";
    // A world from before keeps its authority: the key moves, the certificate stays.
    fs::rename(folder / "demo-ca.key", oldKey);  // where an older vktoken left it
    fs::remove_all(folder);
    const auto ca = certtest::ReadFile(tokens / "demo-ca.crt");
    Vktoken(0, "",
            {"add-container", kDemo, "b", "--pin", "12345678", "--bits", "1024", "--cert", "ca"});
    EXPECT_FALSE(fs::exists(oldKey)) << "no private key lies among the tokens";
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(folder / "demo-ca.key").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(certtest::ReadFile(tokens / "demo-ca.crt"), ca) << "the same authority";

    const fs::path worldFile = tokens / "world.db",
                   token = [] {  // the world is closed again before the files are damaged
                       vkstore::TokenWorld world;
                       return world.TokenFile(world.FindToken(kDemo)->uuid);
                   }();
    const std::pair<fs::path, std::vector<std::vector<std::string>>> damaged[] = {
        {token, {{"show", kDemo}}},
        {worldFile, {{"list"}, {"tokens"}, {"make-token", "U", "--pin-stdin"}}}};
    for (const auto& [file, commands] : damaged) {
        fs::remove(file.string() + "-wal");
        fs::remove(file.string() + "-shm");
        fs::resize_file(file, 0);
        for (const auto& command : commands) {
            Vktoken(1, file.filename().string(), command);
        }
        EXPECT_EQ(fs::file_size(file), 0u) << "a damaged file is not rewritten";
    }
    EXPECT_TRUE(fs::exists(token)) << "nor are the files of a damaged world's tokens removed";

    // vkcert-cli names what it cannot read: the damaged world, a token folder that is a file.
    Vktoken(1, worldFile.string(), {"list"}, kPin, 120, VKCERT_CLI);
    fs::rename(tokens, tokens.string() + ".kept");
    std::ofstream(tokens) << "not a folder";
    Vktoken(1, tokens.string(), {"list"}, kPin, 120, VKCERT_CLI);
}
