// Start-up time: from starting the program to its main window shown with the demo readers
// listed, against a minimal Qt 6 Widgets window program, both under the offscreen platform, in
// the same run, best of several starts each. Also the resident memory of each at that moment.
// The demo tokens are made untimed in a temporary world that is removed at the end.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kStarts = 40;
constexpr int kTimeoutMs = 20000;

struct Start {
    double seconds = 0;
    long residentKiB = 0;
    bool ok = false;
};

// Runs a program until it reports "ready <KiB>" on its standard output; answers the time from
// the start to that line.
Start RunOnce(const std::vector<std::string>& args) {
    Start result;
    int out[2];
    if (pipe(out) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const auto begin = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return result;
    }
    std::string text;
    char buffer[256];
    pollfd waitFor{out[0], POLLIN, 0};
    while (text.find('\n') == std::string::npos && poll(&waitFor, 1, kTimeoutMs) > 0) {
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (text.rfind("ready ", 0) == 0) {
        result.ok = true;
        result.residentKiB = std::atol(text.c_str() + 6);
        result.seconds = std::chrono::duration<double>(end - begin).count();
    }
    return result;
}

Start Best(const std::vector<Start>& starts) {
    Start best;
    best.seconds = 1e30;
    for (const Start& start : starts) {
        if (start.ok && start.seconds < best.seconds) {
            best = start;
        }
    }
    return best;
}

void Report(const char* name, const Start& best) {
    std::printf("%s: start-up %.1f ms, resident memory %.1f MiB\n", name, best.seconds * 1000.0,
                static_cast<double>(best.residentKiB) / 1024.0);
}

}  // namespace

int main() {
    std::setlocale(LC_NUMERIC, "C");
    const fs::path root = fs::temp_directory_path() / ("bench_startup." + std::to_string(getpid()));
    for (const char* sub : {"config", "data", "runtime", "cache"}) {
        fs::create_directories(root / sub);
    }
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / "cache").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Each start is a first copy: no bus to look for other copies on.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");

    const std::string demo = std::string(VKTOKEN) + " demo >/dev/null 2>&1";
    if (std::system(demo.c_str()) != 0) {
        std::fprintf(stderr, "vktoken demo failed\n");
        fs::remove_all(root);
        return 1;
    }

    std::vector<Start> minimal;
    std::vector<Start> ours;
    // Alternating, so that a busy moment of the machine falls on both sides alike.
    for (int i = 0; i < kStarts; ++i) {
        minimal.push_back(RunOnce({MINIMAL_PROGRAM}));
        ours.push_back(RunOnce({VKCERT_PROGRAM}));
    }
    fs::remove_all(root);

    const Start bestMinimal = Best(minimal);
    const Start bestOurs = Best(ours);
    if (!bestMinimal.ok || !bestOurs.ok) {
        std::fprintf(stderr, "a program did not report its window\n");
        return 1;
    }
    Report("minimal Qt window", bestMinimal);
    Report("vkCert with the demo readers listed", bestOurs);
    std::printf("resident memory above the minimal Qt window: %.1f MiB\n",
                static_cast<double>(bestOurs.residentKiB - bestMinimal.residentKiB) / 1024.0);
    std::printf("speedup start-up vs minimal Qt window: %.3f\n",
                bestMinimal.seconds / bestOurs.seconds);
    return 0;
}
