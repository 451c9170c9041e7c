#include "Messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vkcli {

bool UseRussian() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return std::strncmp(value, "ru", 2) == 0;
        }
    }
    return false;
}

const char* Text(const char* english, const char* russian) {
    static const bool russianText = UseRussian();
    return russianText ? russian : english;
}

void PrintError(const std::string& message) {
    std::string line = "vkcert-cli: " + message;
    // One line, whatever the message carries.
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace vkcli
