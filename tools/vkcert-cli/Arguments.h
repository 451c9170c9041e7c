// Reading a command's arguments as most commands take them: --help, flags, and operands.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace vkcli {

// A flag and what giving it does.
struct Flag {
    const char* name;
    std::function<void()> given;
};

enum class EArguments { Read, HelpShown, Refused };

// Reads the arguments after the command's name in order. --help or -h prints `help` at once;
// a flag does what it does; an argument that starts with '-' and names no flag, or an operand
// beyond `maxOperands`, is refused with a line on standard error that points to the command's
// help. Operands are appended to `operands`; how many are needed is the command's to check.
EArguments ReadArguments(std::span<char*> args, const char* command, const char* help,
                         std::initializer_list<Flag> flags, std::size_t maxOperands,
                         std::vector<std::string>& operands);

// " (see vkcert-cli COMMAND --help)" in the interface language, for messages about arguments.
std::string SeeHelp(const char* command);

}  // namespace vkcli
