#include "PasswordInput.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace vkcli {
namespace {

using vk::crypto::SecureString;

void StripLineEnd(SecureString& line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
}

// Reads one line from fd byte by byte, so nothing after it is consumed.
std::optional<SecureString> ReadLine(int fd) {
    SecureString line;
    line.reserve(256);
    for (;;) {
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0 || c == '\n') {
            break;
        }
        line.push_back(c);
        c = 0;
    }
    StripLineEnd(line);
    return line;
}

// The terminal's settings while echo is off, for the signal handler.
int g_ttyFd = -1;
termios g_saved{};

void RestoreAndReraise(int sig) {
    if (g_ttyFd >= 0) {
        tcsetattr(g_ttyFd, TCSAFLUSH, &g_saved);
    }
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

}  // namespace

std::optional<SecureString> ReadPasswordFromStdin() {
    return ReadLine(STDIN_FILENO);
}

std::optional<SecureString> ReadPasswordFromTerminal(const char* prompt) {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    termios saved{};
    if (tcgetattr(fd, &saved) != 0) {
        close(fd);
        return std::nullopt;
    }
    g_ttyFd = fd;
    g_saved = saved;
    auto oldInt = std::signal(SIGINT, RestoreAndReraise);
    auto oldTerm = std::signal(SIGTERM, RestoreAndReraise);
    auto oldHup = std::signal(SIGHUP, RestoreAndReraise);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    tcsetattr(fd, TCSAFLUSH, &quiet);
    // The prompt only once echo is off: what is typed after it is never shown.
    std::optional<SecureString> line;
    if (write(fd, prompt, std::strlen(prompt)) >= 0) {
        line = ReadLine(fd);
    }
    tcsetattr(fd, TCSAFLUSH, &saved);
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    std::signal(SIGHUP, oldHup);
    g_ttyFd = -1;
    close(fd);
    return line;
}

}  // namespace vkcli
