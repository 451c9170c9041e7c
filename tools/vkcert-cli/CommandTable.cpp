// The commands of vkcert-cli, in the order the general help lists them. A new
// command is a file of its own defining a Command, named here.
#include "Command.h"

namespace vkcli {

extern const Command kPfxCommand;
extern const Command kPfxImportCommand;
extern const Command kPfxExportCommand;
extern const Command kListCommand;
extern const Command kCertCommand;
extern const Command kLoginCommand;
extern const Command kLogoutCommand;
extern const Command kAccessCommand;
extern const Command kExportCommand;
extern const Command kImportCommand;
extern const Command kPubkeyCommand;
extern const Command kStoreCommand;

std::span<const Command> Commands() {
    static const Command commands[] = {kPfxCommand,    kPfxImportCommand, kPfxExportCommand,
                                       kListCommand,   kCertCommand,      kLoginCommand,
                                       kLogoutCommand, kAccessCommand,    kExportCommand,
                                       kImportCommand, kPubkeyCommand,    kStoreCommand};
    return commands;
}

}  // namespace vkcli
