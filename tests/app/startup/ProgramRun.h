// Runs the vkCert program itself in a world of its own: the demo tokens made with vktoken, the
// program started as a real process, its readiness seen from outside (its single-instance socket
// in the runtime folder appears once its main window exists), and its end by the signal a
// session sends at logout.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempWorld.h"

namespace startuptest {

inline int Vktoken(const std::vector<std::string>& args) {
    std::vector<std::string> argv{VKTOKEN};
    argv.insert(argv.end(), args.begin(), args.end());
    return vktest::ChildProcess::Exec(argv).Wait();
}

// True once a file of the prefix exists in the folder, within the time.
inline bool WaitForFile(const std::filesystem::path& folder, const std::string& prefix,
                        int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            if (entry.path().filename().string().starts_with(prefix)) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The program's instance socket: there once the main window was created.
inline bool WaitUntilRunning(const vktest::TempWorld& world, int timeoutMs = 30000) {
    return WaitForFile(world.RuntimeDir(), "vkcert-instance-", timeoutMs);
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The user's hive as the registry stand-in writes it.
inline std::string UserHive(const vktest::TempWorld& world) {
    return ReadFile(world.ConfigHome() / "vkcert" / "HKEY_CURRENT_USER.reg");
}

}  // namespace startuptest
