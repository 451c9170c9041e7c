#include "Arguments.h"

#include <cstdio>

#include "Messages.h"

namespace vkcli {

std::string SeeHelp(const char* command) {
    return std::string(Text(" (see vkcert-cli ", " (см. vkcert-cli ")) + command + " --help)";
}

EArguments ReadArguments(std::span<char*> args, const char* command, const char* help,
                         std::initializer_list<Flag> flags, std::size_t maxOperands,
                         std::vector<std::string>& operands) {
    for (char* arg : args) {
        const std::string text = arg;
        if (text == "--help" || text == "-h") {
            std::fputs(help, stdout);
            return EArguments::HelpShown;
        }
        const Flag* flag = nullptr;
        for (const Flag& candidate : flags) {
            if (text == candidate.name) {
                flag = &candidate;
            }
        }
        if (flag != nullptr) {
            flag->given();
        } else if ((text.size() > 1 && text[0] == '-') || operands.size() == maxOperands) {
            PrintError(Text("unknown argument: ", "неизвестный аргумент: ") + text +
                       SeeHelp(command));
            return EArguments::Refused;
        } else {
            operands.push_back(text);
        }
    }
    return EArguments::Read;
}

}  // namespace vkcli
