// A command of vkcert-cli: its name, a one-line summary for the general help,
// its own help text and its entry point (arguments after the command name).
#pragma once

#include <span>
#include <string>

namespace vkcli {

// Exit codes shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitWrongPassword = 2;
inline constexpr int kExitBadFile = 3;               // not PKCS #12, or damaged
inline constexpr int kExitCertificateFileFails = 4;  // another key, too large, wrong extension
inline constexpr int kExitPfxContents = 5;           // not exactly one certificate with its key
inline constexpr int kExitKeyNotExportable = 6;
inline constexpr int kExitPinLocked = 7;

struct Command {
    const char* name;
    const char* (*summary)();
    const char* (*help)();
    int (*run)(std::span<char*> args);
};

std::span<const Command> Commands();

}  // namespace vkcli
