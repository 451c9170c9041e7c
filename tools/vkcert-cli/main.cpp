// vkcert-cli COMMAND ...: dispatches to the command named first.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "Command.h"
#include "Messages.h"
#include "platform/crypto/OpenSslInit.h"
#include "platform/version/ProgramVersion.h"

namespace {

void PrintHelp() {
    std::string text = vkcli::Text(
        "Usage: vkcert-cli COMMAND [ARGUMENTS]\n"
        "\n"
        "The command-line twin of the Velkora certificate browser, for scripts.\n"
        "\n"
        "Commands:\n",
        "Использование: vkcert-cli КОМАНДА [АРГУМЕНТЫ]\n"
        "\n"
        "Командная строка браузера сертификатов Velkora, для сценариев.\n"
        "\n"
        "Команды:\n");
    // Summaries start in one column, two spaces after the longest name.
    std::size_t width = 0;
    for (const auto& command : vkcli::Commands()) {
        width = std::max(width, std::string_view(command.name).size());
    }
    for (const auto& command : vkcli::Commands()) {
        const std::string_view name = command.name;
        text += "  ";
        text += name;
        text += std::string(width + 2 - name.size(), ' ');
        text += command.summary();
        text += '\n';
    }
    text += vkcli::Text(
        "\n'vkcert-cli COMMAND --help' explains a command;"
        " 'vkcert-cli --version' prints the version.\n",
        "\n'vkcert-cli КОМАНДА --help' описывает команду;"
        " 'vkcert-cli --version' выводит версию.\n");
    std::fputs(text.c_str(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (IsVersionRequest(argc, argv)) {
        PrintProgramVersion("vkcert-cli");
        return vkcli::kExitOk;
    }
    vk::crypto::OpenSslInit();
    if (argc < 2) {
        vkcli::PrintError(vkcli::Text("no command given (see vkcert-cli --help)",
                                      "не указана команда (см. vkcert-cli --help)"));
        return vkcli::kExitFailure;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp();
        return vkcli::kExitOk;
    }
    for (const auto& command : vkcli::Commands()) {
        if (name == command.name) {
            return command.run(std::span<char*>(argv + 2, static_cast<std::size_t>(argc - 2)));
        }
    }
    vkcli::PrintError(std::string(vkcli::Text("unknown command: ", "неизвестная команда: ")) +
                      name + vkcli::Text(" (see vkcert-cli --help)", " (см. vkcert-cli --help)"));
    return vkcli::kExitFailure;
}
