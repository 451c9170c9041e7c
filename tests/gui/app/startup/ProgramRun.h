// Runs vkCert itself on demo tokens made with vktoken, sees it ready from outside (its instance
// socket appears once its window exists) and reads the settings it saved.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// True once the program's instance socket is in the runtime folder (there once its main window
// was created); false when the time is up or the program ended first.
inline bool WaitUntilRunning(const vktest::TempWorld& world, vktest::ChildProcess& program,
                             int timeoutMs = 30000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(world.RuntimeDir(), ec)) {
            if (entry.path().filename().string().starts_with("vkcert-instance-")) {
                return true;
            }
        }
        int code = 0;
        if (program.WaitFor(20, &code)) {
            ADD_FAILURE() << "the program ended with " << code << " before its window was up";
            return false;
        }
    }
    return false;
}

// The user's hive as the registry stand-in writes it.
inline std::string UserHive(const vktest::TempWorld& world) {
    std::ifstream in(world.ConfigHome() / "vkcert" / "HKEY_CURRENT_USER.reg");
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace startuptest
