// vktoken as a user runs it: the listing, exit codes, what it refuses to store because nobody
// could use it (names that are not UTF-8, a common name the certificate cannot hold, more free
// memory than memory), the import of PFX files, hostile ones in bounded time, and PINs and
// passwords typed without echo or read from standard input, never needed on the command line.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iterator>

#include "HostilePfx.h"
#include "VktokenRun.h"

using namespace vkt;

namespace {

using Dialog = std::vector<std::pair<std::string, std::string>>;

// Runs "vktoken ARGS" on a pseudo-terminal of its own, typing each answer once its prompt showed;
// answers the exit code and what the terminal showed, with the command line at each prompt.
std::pair<int, std::string> OnTerminal(const std::string& args, const Dialog& dialog) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " VKTOKEN " " + args).c_str(), nullptr);
        _exit(127);
    }
    std::string seen;
    std::size_t checked = 0;
    const auto readSome = [&] {
        pollfd fd{master, POLLIN, 0};
        char buffer[512];
        const ssize_t n = poll(&fd, 1, 10000) > 0 ? read(master, buffer, sizeof buffer) : 0;
        seen.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        return n > 0;  // EIO: the program and its terminal are gone
    };
    for (const auto& [prompt, answer] : dialog) {
        while (seen.find(prompt, checked) == std::string::npos && readSome()) {
        }
        std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
        seen += std::string(std::istreambuf_iterator<char>(cmdline), {}) + "\n";
        checked = seen.size();
        EXPECT_GT(write(master, (answer + "\r").c_str(), answer.size() + 1), 0);
    }
    while (readSome()) {
    }
    kill(pid, SIGKILL);  // when a prompt never came
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), seen};
}

}  // namespace

TEST(Vktoken, ListsImportsAsksSecretsWithoutEchoAndRefusesWhatCannotBeDoneOrUsed) {
    vktest::TempWorld temp;
    std::string cyrillic64, n64(64, 'n');
    for (int i = 0; i < 64; ++i) {
        cyrillic64 += "\xD0\xAF";  // Я: 64 characters in 128 bytes
    }
    const auto [pfx, der] = MakePfx("rsa");
    const std::string nomac = MakePfx("nomac", "rsa:1024", {"-nomac"}).first;
    const std::string costly = temp.Root() / "costly.pfx", big = temp.Root() / "big.pfx";
    const auto bytes = certtest::ReadFile(pfx);
    const auto mac = hostilepfx::WithMacIterations({bytes.begin(), bytes.end()}, 100000000);
    std::ofstream(costly).write(reinterpret_cast<const char*>(mac.data()),
                                static_cast<std::streamsize>(mac.size()));
    std::ofstream{big};
    fs::resize_file(big, 100 << 20);
    const auto import = [](const std::string& container, const std::string& file,
                           std::vector<std::string> more = {"--password", "secret"}) {
        more.insert(more.begin(), {"import-pfx", "T", container, file, "--pin", kPin});
        return more;
    };
    const char* damaged = "not a PKCS #12 file, or damaged";
    Vktoken(0, "",
            {"make-token", "Alpha", "--pin", "4321", "--type", "0", "--version", "2.3", "--memory",
             "1023", "--id", "12345678"});
    const std::tuple<int, const char*, std::vector<std::string>> runs[] = {
        {0, "", {"add-reader", "R one"}},
        {0, "", {"add-reader", "R two"}},
        {0, "", {"insert", "R two", "Alpha"}},
        {0, "", {"make-token", "T", "--pin", kPin}},
        {0, "", {"--help"}},
        {1, "R one", {"remove", "R one"}},  // an empty reader
        {1, "R two", {"insert", "R two", "Alpha"}},
        {1, "R three", {"insert", "R three", "Alpha"}},
        {1, "Beta", {"insert", "R one", "Beta"}},
        {2, "type", {"make-token", "X", "--type", "7"}},
        {2, "frobnicate", {"frobnicate"}},
        {2, "UTF-8", {"add-reader", "Reader \xFF"}},
        {2, "UTF-8", {"add-reader", "Reader \xC3"}},
        {2, "UTF-8", {"add-reader", "Reader \xC0\xAF"}},      // overlong
        {2, "UTF-8", {"add-reader", "Reader \xED\xA0\x80"}},  // surrogate
        {2, "UTF-8", {"make-token", "Token \xE2\x82", "--pin", kPin}},
        {2, "UTF-8", {"add-container", "T", "c\xFF", "--pin", kPin, "--bits", "1024"}},
        {2, "UTF-8", {"add-container", "T", "c", "--pin", kPin, "--cn", "bad \x80"}},
        {2, "UTF-8", {"add-container", "T", "c", "--pin", kPin, "--email", "a\xFF@example.org"}},
        {2, "UTF-8", import("c\xFE", pfx)},
        {2, "64", {"add-container", "T", "c", "--pin", kPin, "--cn", std::string(65, 'x')}},
        {2, "64", {"add-container", "T", cyrillic64 + "x", "--pin", kPin}},
        {2, "--free", {"make-token", "M", "--memory", "1000", "--free", "1001"}},
        // At the bounds: 64 characters, whatever their bytes, and all the memory free.
        {0, "", {"add-container", "T", "c", "--pin", kPin, "--bits", "1024", "--cn", cyrillic64}},
        {0, "", {"add-container", "T", n64, "--pin", kPin, "--bits", "1024"}},
        {0, "", {"make-token", "M", "--memory", "1000", "--free", "1000"}},
        {0, "", {"add-container", "T", "r", "--pin", kPin, "--bits", "1024", "--cert", "none"}},
        // A key in place is replaced only when asked; hostile files are refused as damaged before
        // the work they ask, well within the watchdog.
        {1, "wrong password", import("imp", pfx, {"--password", "wrong"})},
        {0, "", import("imp", pfx, {"--password", "secret", "--spec", "signature"})},
        {1, "--replace", import("c", pfx)},
        {0, "", import("r", pfx, {"--password", "secret", "--replace"})},
        {1, "RSA", import("ec", MakePfx("ec", "ec:prime256v1").first)},
        {0, "", import("nomac", nomac)},  // read as vkcert-cli lists it
        {1, damaged, import("costly", costly)},
        {1, damaged, import("big", big)},
        {1, damaged, import("zero", "/dev/zero")},
        // A script that gives no PIN, with no terminal to ask on, is told how to give it.
        {2, "-stdin", {"add-container", "T", "x", "--cert", "none"}},
        {2, "-stdin", {"delete-container", "T", "c"}},
        {2, "-stdin", {"change-pin", "T", "--pin-stdin"}},
        {2, "-stdin", {"import-pfx", "T", "x", pfx, "--password-stdin"}},
    };
    for (const auto& [code, word, args] : runs) {
        Vktoken(code, word, args, "", 20);
    }
    // PINs and passwords typed on a terminal are not echoed.
    const std::tuple<std::string, Dialog, int> typed[] = {
        {"change-pin T", {{"PIN", kPin}, {"New PIN", "98765"}, {"again", "98765"}}, 0},
        {"change-pin T", {{"PIN", "98765"}, {"New PIN", "1111"}, {"again", "1112"}}, 1},
        {"import-pfx T typed " + pfx, {{"PIN", "98765"}, {"assword", "secret"}}, 0},
        {"unblock T",
         {{"Administrator PIN", "87654321"}, {"New PIN", "98765"}, {"again", "98765"}},
         0}};  // the default administrator PIN
    for (const auto& [args, dialog, code] : typed) {
        const auto [exitCode, seen] = OnTerminal(args, dialog);
        EXPECT_EQ(exitCode, code) << seen;
        for (const auto& [prompt, answer] : dialog) {
            EXPECT_EQ(seen.find(answer), std::string::npos) << "echoed: " << seen;
        }
    }
    EXPECT_NO_THROW(Store("T").Unlock("98765")) << "the mistyped new PIN changed nothing";
    EXPECT_EQ(Vktoken(0, "", {"list"}).out, "R one\t-\nR two\tAlpha\n");
    EXPECT_EQ(Vktoken(0, "", {"tokens"}).out, "Alpha\nM\nT\n");
    auto store = Store("Alpha");
    const auto r = store.Record();
    EXPECT_EQ(std::tuple(r.type, r.versionMajor, r.versionMinor, r.memorySize, r.tokenId),
              std::tuple(0, 2, 3, 1023u, 0x12345678u));
    EXPECT_NO_THROW(store.Unlock("4321"));
    EXPECT_EQ(Store("T").Containers().size(), 6u) << "c, n64, r, imp, nomac and typed";
    // Common names held whole; the refused import kept c's.
    for (const auto& [name, cn] : {std::pair{n64, n64}, std::pair{std::string("c"), cyrillic64}}) {
        const auto cert = Key("T", name).certificate;
        EXPECT_NE(std::string(cert.begin(), cert.end()).find(cn), std::string::npos) << cn;
    }
    EXPECT_NE(Key("T", "c").publicDer, Key("T", "imp", 2).publicDer);
    for (const auto& [name, spec] :
         {std::pair<std::string, int>{"r", 1}, {"imp", 2}, {"typed", 1}}) {
        EXPECT_EQ(Key("T", name, spec).certificate, der) << name;
    }
    EXPECT_FALSE(Key("T", "imp", 2).exportable);
}

// Wrong user PINs count down and lock, even the right PIN then; the administrator PIN, with a
// counter of its own, sets a new user PIN and every key stays readable; wrong administrator PINs
// lock it for good. A token made before administrator PINs existed is told to have none.
TEST(Vktoken, UnblockWithTheAdministratorPinRestoresALockedTokenWithItsKeys) {
    vktest::TempWorld temp;
    const auto unblock = [](const std::string& label) {
        return std::vector<std::string>{"unblock", label, "--admin-pin-stdin", "--new-pin-stdin"};
    };
    const auto del = [](const std::string& pin) {
        return std::vector<std::string>{"delete-container", "U", "none", "--pin", pin};
    };
    Vktoken(0, "", {"make-token", "Old"});
    const fs::path old = [] {
        vkstore::TokenWorld world;
        return world.TokenFile(world.FindToken("Old")->uuid);
    }();
    vkstore::RemoveDatabaseFiles(old);
    fs::copy_file(vktest::TestDataDir() / "pbkdf2-token.db", old);
    const std::tuple<int, const char*, std::vector<std::string>, std::string> runs[] = {
        {0,
         "",
         {"make-token", "U", "--pin-stdin", "--admin-pin-stdin", "--retries", "2"},
         "1234\nadmin-9\n"},
        {0, "", {"add-container", "U", "k", "--pin", kPin, "--bits", "1024", "--cert", "none"}, ""},
        {1, "wrong PIN", del("0000"), ""},
        {1, "wrong PIN", del("0000"), ""},
        {1, "locked", del(kPin), ""},
        {1, "1 try left", unblock("U"), "admin-0\n5678\n"},
        {0, "", unblock("U"), "admin-9\n5678\n"},
        {1, "no container", del("5678"), ""},
        {1, "wrong PIN", del(kPin), ""},
        {1, "1 try left", unblock("U"), "admin-0\n1111\n"},
        {1, "now locked", unblock("U"), "admin-0\n1111\n"},
        {1, "administrator PIN is locked", unblock("U"), "admin-9\n1111\n"},
        {1, "no administrator PIN", unblock("Old"), "87654321\n1111\n"},
        {0,
         "",
         {"add-container", "Old", "k", "--pin", kPin, "--bits", "1024", "--cert", "none"},
         ""},
    };
    for (const auto& [code, word, args, input] : runs) {
        Vktoken(code, word, args, input);
    }
    EXPECT_NE(Vktoken(0, "", {"show", "U"}).out.find("pin-tries\t1/2\nadmin-pin-tries\t0/2\n"),
              std::string::npos);
    EXPECT_NE(Vktoken(0, "", {"show", "Old"}).out.find("admin-pin-tries\tnone\n"),
              std::string::npos);
    for (const auto& [label, pin] : {std::pair{"U", "5678"}, std::pair{"Old", "1234"}}) {
        auto store = Store(label);
        const auto key = store.Unlock(pin);
        for (const auto& container : store.Containers()) {
            EXPECT_TRUE(vkstore::TokenSecrets::Open(key, store.SealedPrivateKey(container.id, 1)))
                << label << " " << container.name;
        }
    }
}
