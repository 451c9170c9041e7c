// The commands of vkcert-cli, in the order the general help lists them. A new
// command is a file of its own defining a Command, named here.
#include "Command.h"

namespace vkcli {

extern const Command kPfxCommand;
extern const Command kListCommand;
extern const Command kCertCommand;
extern const Command kLoginCommand;
extern const Command kLogoutCommand;
extern const Command kAccessCommand;
extern const Command kExportCommand;
extern const Command kImportCommand;
extern const Command kPubkeyCommand;

std::span<const Command> Commands() {
    static const Command commands[] = {kPfxCommand,    kListCommand,   kCertCommand,
                                       kLoginCommand,  kLogoutCommand, kAccessCommand,
                                       kExportCommand, kImportCommand, kPubkeyCommand};
    return commands;
}

}  // namespace vkcli
