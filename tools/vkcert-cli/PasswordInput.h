// Reads a password without it ever reaching the command line: the first line
// of standard input, or a line typed on the terminal with echo turned off.
#pragma once

#include <optional>

#include "platform/crypto/SecureBytes.h"

namespace vkcli {

// The first line of standard input without its CR/LF ending (an empty line,
// or no input at all, is the empty password). Nothing when reading fails.
std::optional<vk::crypto::SecureString> ReadPasswordFromStdin();

// Asks on the controlling terminal (/dev/tty) without echo. Nothing when the
// process has no terminal or reading fails.
std::optional<vk::crypto::SecureString> ReadPasswordFromTerminal(const char* prompt);

}  // namespace vkcli
