// Runs a piece of a test in a real second process.
//
// A test program re-executes itself with "--vk-child NAME ARGS..."; the main of
// the support library then runs the child registered under NAME instead of the
// tests. Children are registered with VK_TEST_CHILD.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vktest {

using ChildFunction = std::function<int(const std::vector<std::string>& args)>;

// Registers a child entry point; used through VK_TEST_CHILD.
bool RegisterChild(const std::string& name, ChildFunction fn);

// Runs the registered child when argv asks for one; answers its exit code, or -1.
int DispatchChild(int argc, char** argv);

// A child process of this test program; killed (SIGKILL) and reaped on destruction
// unless it was waited for.
class ChildProcess {
public:
    // Starts "--vk-child name args..." with standard output captured when asked.
    ChildProcess(const std::string& name, const std::vector<std::string>& args = {},
                 bool captureStdout = false);
    // Starts any program (argv[0] looked up in PATH).
    static ChildProcess Exec(const std::vector<std::string>& argv, bool captureStdout = false);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&&) = delete;
    ChildProcess(const ChildProcess&) = delete;
    ~ChildProcess();

    // Waits for the exit; answers the exit code, or 128 + signal.
    int Wait();
    // Waits at most timeoutMs; answers false when the child is still running.
    bool WaitFor(int timeoutMs, int* exitCode);
    void Kill(int signal);
    // Reads one line of the captured output (without the line end); false at end of file.
    bool ReadLine(std::string& line, int timeoutMs = 10000);
    // The next line, or "" when none came in time.
    std::string NextLine(int timeoutMs = 10000);
    // Reads everything the child writes until it closes its output.
    std::string ReadAll();

private:
    ChildProcess() = default;
    void Start(const std::vector<std::string>& argv, bool captureStdout);

    pid_t m_pid = -1;
    int m_stdout = -1;
    std::string m_pending;
    bool m_reaped = false;
    int m_status = 0;
};

// Path of the running test program.
std::string SelfPath();

}  // namespace vktest

#define VK_TEST_CHILD(name)                                                                       \
    static int vkChild_##name(const std::vector<std::string>& args);                              \
    static const bool vkChildRegistered_##name = ::vktest::RegisterChild(#name, &vkChild_##name); \
    static int vkChild_##name([[maybe_unused]] const std::vector<std::string>& args)
