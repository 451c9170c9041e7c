// vktokend: the user's token service. Holds the logins of the virtual tokens
// and does their private-key work, as a card does; the token provider starts
// it on demand (vktokend --detach) and talks to it over a Unix socket in a
// private folder of the user.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "LoginTable.h"
#include "RequestHandler.h"
#include "ServiceLoop.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/token/StoreError.h"
#include "platform/token/service/ServiceFolder.h"
#include "platform/version/ProgramVersion.h"

namespace {

namespace service = vkstore::service;

constexpr const char* kHelp = R"(vktokend - the token service of the virtual Velkora tokens

Usage: vktokend [--folder DIR] [--detach]
       vktokend --version

Holds the logins of the user's virtual tokens and does all work with their
private keys, so that no token key, PIN or private key is ever written to a
file or held by another program. vkCert, vkcert-cli and the token provider
start it when they first need it; there is no need to start it by hand.

  --folder DIR  where to listen (default: $XDG_RUNTIME_DIR/vkcert, or
                /tmp/vkcert-UID without a runtime folder); the folder must be
                the user's own, mode 0700
  --detach      run in the background; return once the service answers (or
                when another one runs already)

It answers only processes of the same user, ends on SIGTERM, SIGINT or SIGHUP
or when its socket is removed, and every login ends with it.
)";

struct Options {
    std::filesystem::path folder = std::filesystem::absolute(service::DefaultServiceFolder());
    bool detach = false;
};

std::optional<Options> Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--detach") {
            options.detach = true;
        } else if (arg == "--folder" && i + 1 < argc) {
            options.folder = std::filesystem::absolute(argv[++i]);
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// A process whose memory holds token keys: no core dumps, no debugger of the same user.
void Harden() {
    ::prctl(PR_SET_DUMPABLE, 0);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
}

void QuietStandardStreams() {
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::close(null);
    }
}

// In the background the parent returns 0 once the child says it listens (or found another
// service running), 1 when the child gave up.
int Detach(int& readyFd) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return 1;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return 1;
    }
    if (child > 0) {
        ::close(pipeFds[1]);
        char ready = 0;
        const ssize_t got = ::read(pipeFds[0], &ready, 1);
        return got == 1 && ready == '1' ? 0 : 1;
    }
    ::close(pipeFds[0]);
    ::setsid();
    // Holds no folder of the starting program busy; makes nothing others may read.
    [[maybe_unused]] const int rooted = ::chdir("/");
    ::umask(077);
    readyFd = pipeFds[1];
    return -1;
}

void TellReady(int& readyFd) {
    if (readyFd >= 0) {
        const char ready = '1';
        [[maybe_unused]] const ssize_t sent = ::write(readyFd, &ready, 1);
        ::close(readyFd);
        readyFd = -1;
    }
}

int Serve(const Options& options, int& readyFd) {
    service::OpenServiceFolder(options.folder);
    const auto lockPath = service::LockPath(options.folder);
    const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) {
        std::fprintf(stderr, "vktokend: cannot open %s\n", lockPath.c_str());
        return 1;
    }
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        TellReady(readyFd);  // another service holds the folder
        return 0;
    }
    const auto socketPath = service::SocketPath(options.folder);
    ::unlink(socketPath.c_str());  // left by a service that was killed
    CUnixSocket listener = CUnixSocket::Listen(socketPath.string());
    if (!listener.IsValid()) {
        std::fprintf(stderr, "vktokend: cannot listen at %s\n", socketPath.c_str());
        return 1;
    }

    sigset_t stop;
    sigemptyset(&stop);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaddset(&stop, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // before any thread: they inherit it
    ::signal(SIGPIPE, SIG_IGN);
    const int signals = ::signalfd(-1, &stop, SFD_CLOEXEC);

    vktokend::LoginTable logins;
    vktokend::RequestHandler handler(logins);
    {
        vktokend::ServiceLoop loop(std::move(listener), socketPath, handler);
        TellReady(readyFd);
        if (options.detach) {
            QuietStandardStreams();
        }
        loop.Run(signals);
    }
    ::close(signals);
    ::close(lock);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (IsVersionRequest(argc, argv)) {
        PrintProgramVersion("vktokend");
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const auto options = Parse(argc, argv);
    if (!options) {
        std::fputs("vktokend: unknown arguments (see vktokend --help)\n", stderr);
        return 2;
    }
    Harden();
    ::close_range(3, ~0U, 0);  // nothing the starting program had open stays open here
    int readyFd = -1;
    if (options->detach) {
        if (const int parent = Detach(readyFd); parent >= 0) {
            return parent;
        }
    }
    vk::crypto::OpenSslInit();
    try {
        return Serve(*options, readyFd);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vktokend: %s\n", e.what());
        return 1;
    }
}
