#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>
#include <utility>

namespace vktest {

namespace {

std::map<std::string, ChildFunction>& Registry() {
    static std::map<std::string, ChildFunction> children;
    return children;
}

}  // namespace

bool RegisterChild(const std::string& name, ChildFunction fn) {
    Registry()[name] = std::move(fn);
    return true;
}

int DispatchChild(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], "--vk-child") != 0) {
        return -1;
    }
    auto it = Registry().find(argv[2]);
    if (it == Registry().end()) {
        return 127;
    }
    return it->second(std::vector<std::string>(argv + 3, argv + argc));
}

std::string SelfPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

ChildProcess::ChildProcess(const std::string& name, const std::vector<std::string>& args,
                           bool captureStdout) {
    std::vector<std::string> argv{SelfPath(), "--vk-child", name};
    argv.insert(argv.end(), args.begin(), args.end());
    Start(argv, captureStdout);
}

ChildProcess ChildProcess::Exec(const std::vector<std::string>& argv, bool captureStdout) {
    ChildProcess child;
    child.Start(argv, captureStdout);
    return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)),
      m_stdout(std::exchange(other.m_stdout, -1)),
      m_pending(std::move(other.m_pending)),
      m_reaped(other.m_reaped),
      m_status(other.m_status) {}

void ChildProcess::Start(const std::vector<std::string>& argv, bool captureStdout) {
    int fds[2] = {-1, -1};
    if (captureStdout && pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> cargv(argv.size() + 1, nullptr);
    std::ranges::transform(argv, cargv.begin(),
                           [](const auto& a) { return const_cast<char*>(a.c_str()); });
    m_pid = fork();
    if (m_pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (m_pid == 0) {
        if (captureStdout) {
            dup2(fds[1], STDOUT_FILENO);
        }
        execvp(cargv[0], cargv.data());
        _exit(126);
    }
    if (captureStdout) {
        close(fds[1]);
        m_stdout = fds[0];
    }
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_stdout >= 0) {
        close(m_stdout);
    }
}

namespace {
int DecodeStatus(int status) {
    return WIFEXITED(status)     ? WEXITSTATUS(status)
           : WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                 : -1;
}
}  // namespace

int ChildProcess::Wait() {
    while (!m_reaped && waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
    }
    m_reaped = true;
    return DecodeStatus(m_status);
}

bool ChildProcess::WaitFor(int timeoutMs, int* exitCode) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_reaped && !(m_reaped = waitpid(m_pid, &m_status, WNOHANG) == m_pid)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (exitCode) {
        *exitCode = DecodeStatus(m_status);
    }
    return true;
}

void ChildProcess::Kill(int signal) {
    if (m_pid > 0 && !m_reaped) {
        kill(m_pid, signal);
    }
}

bool ChildProcess::ReadLine(std::string& line, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto nl = m_pending.find('\n');
        if (nl != std::string::npos) {
            line = m_pending.substr(0, nl);
            m_pending.erase(0, nl + 1);
            return true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (m_stdout < 0 || left <= 0) {
            return false;
        }
        pollfd pfd{m_stdout, POLLIN, 0};
        if (poll(&pfd, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        char buf[4096];
        ssize_t n = read(m_stdout, buf, sizeof buf);
        if (n <= 0) {
            if (!m_pending.empty()) {
                line = std::exchange(m_pending, {});
                return true;
            }
            return false;
        }
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
}

std::string ChildProcess::NextLine(int timeoutMs) {
    std::string line;
    ReadLine(line, timeoutMs);
    return line;
}

std::string ChildProcess::ReadAll() {
    std::string all = std::exchange(m_pending, {});
    char buf[4096];
    ssize_t n = 0;
    while (m_stdout >= 0 &&
           ((n = read(m_stdout, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))) {
        if (n > 0) {
            all.append(buf, static_cast<std::size_t>(n));
        }
    }
    return all;
}

}  // namespace vktest
