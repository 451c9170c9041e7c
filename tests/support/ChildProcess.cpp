#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <thread>

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
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) {
        throw std::runtime_error("cannot read /proc/self/exe");
    }
    return std::string(buf, static_cast<std::size_t>(n));
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
    : m_pid(other.m_pid),
      m_stdout(other.m_stdout),
      m_pending(std::move(other.m_pending)),
      m_reaped(other.m_reaped),
      m_status(other.m_status) {
    other.m_pid = -1;
    other.m_stdout = -1;
}

void ChildProcess::Start(const std::vector<std::string>& argv, bool captureStdout) {
    int fds[2] = {-1, -1};
    if (captureStdout && pipe2(fds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<char*> cargv;
    for (const auto& a : argv) {
        cargv.push_back(const_cast<char*>(a.c_str()));
    }
    cargv.push_back(nullptr);
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
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}
}  // namespace

int ChildProcess::Wait() {
    if (!m_reaped) {
        while (waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
        }
        m_reaped = true;
    }
    return DecodeStatus(m_status);
}

bool ChildProcess::WaitFor(int timeoutMs, int* exitCode) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_reaped) {
        pid_t r = waitpid(m_pid, &m_status, WNOHANG);
        if (r == m_pid) {
            m_reaped = true;
            break;
        }
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
        if (m_stdout < 0) {
            return false;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
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
                line = std::move(m_pending);
                m_pending.clear();
                return true;
            }
            return false;
        }
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
}

std::string ChildProcess::ReadAll() {
    std::string all = std::move(m_pending);
    m_pending.clear();
    if (m_stdout < 0) {
        return all;
    }
    char buf[4096];
    ssize_t n;
    while ((n = read(m_stdout, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0) {
            all.append(buf, static_cast<std::size_t>(n));
        }
    }
    return all;
}

}  // namespace vktest
