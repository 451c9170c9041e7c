// PINs and passwords never on the command line: typed on the terminal without echo, or one line
// each on standard input; a script that gives neither is told so instead of waiting.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CertTestUtil.h"
#include "platform/crypto/CryptApi.h"
#include "platform/token/StoreError.h"
#include "platform/token/TokenStore.h"
#include "platform/token/TokenWorld.h"
#include "support/TempWorld.h"
#include "tools/vkcert_cli/CliRun.h"

namespace {

clitest::Result Vktoken(const std::vector<std::string>& args, const std::string* input = nullptr) {
    return clitest::Run(std::filesystem::temp_directory_path(), VKTOKEN, args, input);
}

// vktoken on a pseudo-terminal of its own: its controlling terminal and standard input.
class OnTerminal {
public:
    explicit OnTerminal(const std::vector<std::string>& args) {
        std::vector<std::string> words{VKTOKEN};
        words.insert(words.end(), args.begin(), args.end());
        m_pid = forkpty(&m_master, nullptr, nullptr, nullptr);
        if (m_pid == 0) {
            std::vector<char*> argv;
            for (auto& word : words) {
                argv.push_back(word.data());
            }
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~OnTerminal() {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_master >= 0) {
            close(m_master);
        }
    }

    // Waits (at most 10 s) until the terminal showed `text`; false when it did not.
    bool Expect(const std::string& text) {
        while (m_seen.find(text, m_checked) == std::string::npos) {
            if (!ReadSome(10000)) {
                return false;
            }
        }
        m_checked = m_seen.find(text, m_checked) + text.size();
        return true;
    }
    void Type(const std::string& line) {
        const std::string typed = line + "\r";
        ASSERT_EQ(write(m_master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    }
    // Everything the terminal showed, once the program ended; its exit code.
    int Finish() {
        while (ReadSome(10000)) {
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::string CommandLine() const {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/cmdline", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    const std::string& Seen() const { return m_seen; }

private:
    bool ReadSome(int timeoutMs) {
        pollfd fd{m_master, POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0) {
            return false;
        }
        char buffer[512];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) {
            return false;  // EIO: the program and its terminal are gone
        }
        m_seen.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_master = -1;
    bool m_reaped = false;
    std::string m_seen;
    std::size_t m_checked = 0;
};

bool Opens(const std::string& label, const std::string& pin) {
    vkstore::TokenWorld world;
    try {
        vkstore::TokenStore(world.TokenFile(world.FindToken(label)->uuid)).Unlock(pin);
        return true;
    } catch (const vkstore::StoreError&) {
        return false;
    }
}

}  // namespace

TEST(VktokenSecrets, PinsAndPasswordsAreTypedWithoutEchoAndNeverOnTheCommandLine) {
    vktest::TempWorld temp;
    const std::string first = "4321";
    ASSERT_EQ(Vktoken({"make-token", "T", "--pin-stdin"}, &first).exitCode, 0);

    {
        OnTerminal run({"change-pin", "T"});
        ASSERT_TRUE(run.Expect("PIN")) << run.Seen();
        EXPECT_EQ(run.CommandLine().find(first), std::string::npos);
        run.Type(first);
        ASSERT_TRUE(run.Expect("New PIN")) << run.Seen();
        run.Type("98765");
        ASSERT_TRUE(run.Expect("again")) << run.Seen();
        run.Type("98765");
        EXPECT_EQ(run.Finish(), 0) << run.Seen();
        EXPECT_EQ(run.Seen().find(first), std::string::npos) << "echoed: " << run.Seen();
        EXPECT_EQ(run.Seen().find("98765"), std::string::npos) << "echoed: " << run.Seen();
    }
    EXPECT_TRUE(Opens("T", "98765"));
    {
        OnTerminal run({"change-pin", "T"});
        ASSERT_TRUE(run.Expect("PIN"));
        run.Type("98765");
        ASSERT_TRUE(run.Expect("New PIN"));
        run.Type("1111");
        ASSERT_TRUE(run.Expect("again"));
        run.Type("1112");
        EXPECT_EQ(run.Finish(), 1) << "a mistyped new PIN changes nothing: " << run.Seen();
    }
    EXPECT_TRUE(Opens("T", "98765"));

    // A PFX file: PIN and password typed, or one line each from a script.
    const auto made = certtest::MakeCert(temp.Root(), "c", "rsa:1024", "/CN=Imported");
    const std::string pfx = (temp.Root() / "p.pfx").string();
    certtest::Openssl({"pkcs12", "-export", "-inkey", (temp.Root() / "c.key").string(), "-in",
                       made.pem.string(), "-out", pfx, "-passout", "pass:secret"});
    {
        OnTerminal run({"import-pfx", "T", "typed", pfx});
        ASSERT_TRUE(run.Expect("PIN"));
        run.Type("98765");
        ASSERT_TRUE(run.Expect("assword"));
        run.Type("secret");
        EXPECT_EQ(run.Finish(), 0) << run.Seen();
        EXPECT_EQ(run.Seen().find("secret"), std::string::npos) << "echoed: " << run.Seen();
    }
    const std::string lines = "98765\nsecret\n";
    const auto piped =
        Vktoken({"import-pfx", "T", "piped", pfx, "--pin-stdin", "--password-stdin"}, &lines);
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    vkstore::TokenWorld world;
    vkstore::TokenStore store(world.TokenFile(world.FindToken("T")->uuid));
    for (const char* name : {"typed", "piped"}) {
        const auto container = store.FindContainer(name);
        ASSERT_TRUE(container) << name;
        EXPECT_EQ(store.Key(container->id, AT_KEYEXCHANGE)->certificate, made.der);
    }

    // A script that gives no PIN, with no terminal to ask on, is told how to give it.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"add-container", "T", "c", "--cert", "none"},
          {"delete-container", "T", "typed"},
          {"change-pin", "T", "--pin-stdin"},
          {"import-pfx", "T", "x", pfx, "--password-stdin"}}) {
        const auto r = Vktoken(args);
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_NE(r.err.find("-stdin"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(store.FindContainer("typed"));
}
