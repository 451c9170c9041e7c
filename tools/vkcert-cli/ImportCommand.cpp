// vkcert-cli import PATH FILE: the Import of a key node, the window's own command answered with
// FILE.
#include <cstdio>
#include <string>

#include "Arguments.h"
#include "Command.h"
#include "KeyNode.h"
#include "Messages.h"
#include "platform/text/Utf.h"
#include "program/app/UiLanguage.h"
#include "program/ops/CertificateFileExport.h"
#include "res/resource.h"

namespace vkcli {
namespace {

const char* ImportSummary() {
    return Text("assign the certificate of a file to a key", "назначить ключу сертификат из файла");
}

const char* ImportHelp() {
    return Text(
        "Usage: vkcert-cli import PATH FILE\n"
        "\n"
        "Assigns the certificate in FILE (\".cer\": DER or Base64) to the key at PATH (as\n"
        "`vkcert-cli list --paths` prints it), as the browser's Import does. The user of\n"
        "the token must be logged in (vkcert-cli login). The file must hold a certificate\n"
        "of this key and be smaller than 65535 bytes. PFX files are not imported by this\n"
        "command yet.\n"
        "\n"
        "Exit status: 0 assigned; 1 anything else (nothing at PATH, not logged in, the\n"
        "file cannot be read, the token refused); 4 the file is not a certificate file of\n"
        "this key. Errors are one line on standard error.\n",
        "Использование: vkcert-cli import ПУТЬ ФАЙЛ\n"
        "\n"
        "Назначает ключу по ПУТИ (как его печатает `vkcert-cli list --paths`) сертификат\n"
        "из ФАЙЛА (\".cer\": DER или Base64), как команда «Импорт» браузера. Пользователь\n"
        "токена должен войти (vkcert-cli login). Файл должен содержать сертификат этого\n"
        "ключа и быть меньше 65535 байт. Файлы PFX эта команда пока не импортирует.\n"
        "\n"
        "Код завершения: 0 назначен; 1 иное (по ПУТИ ничего нет, вход не выполнен, файл\n"
        "не читается, токен отказал); 4 файл не является файлом сертификата этого ключа.\n"
        "Ошибки выводятся одной строкой в стандартный поток ошибок.\n");
}

int RunImport(std::span<char*> args) {
    std::vector<std::string> operands;
    const EArguments read = ReadArguments(args, "import", ImportHelp(), {}, 2, operands);
    if (read != EArguments::Read) {
        return read == EArguments::HelpShown ? kExitOk : kExitFailure;
    }
    if (operands.size() != 2) {
        PrintError(Text("PATH and FILE are needed (see vkcert-cli import --help)",
                        "нужны ПУТЬ и ФАЙЛ (см. vkcert-cli import --help)"));
        return kExitFailure;
    }
    LoadUiLanguage();
    const std::wstring file = Utf8ToWide(operands[1]);
    KeyNodeLookup lookup;
    STreeItemInfo::CCertificateItemInfo* node = lookup.Find(Utf8ToWide(operands[0]));
    if (node == nullptr) {
        PrintError(Text("no key at ", "нет ключа по пути ") + operands[0]);
        return kExitFailure;
    }
    if (!node->IsCommandEnabled(ID_ACTIONS_IMPORT_CERT)) {
        PrintError(operands[0] + Text(": the user of the token is not logged in",
                                      ": пользователь токена не выполнил вход"));
        return kExitFailure;
    }
    // The open dialog lists certificate files first and PFX files second.
    CliUserInterface ui(file, SVKCERT::UpperExtension(file) == L"PFX" ? 2 : 1, false);
    node->OnCommand(ID_ACTIONS_IMPORT_CERT);
    if (!ui.asked) {
        PrintError(operands[0] + Text(": the public key of the key cannot be read",
                                      ": не удаётся прочитать открытый ключ"));
        return kExitFailure;
    }
    if (ui.checkFailed) {
        PrintError(operands[1] +
                   Text(": not a certificate file of this key (another key, 65535 bytes or "
                        "more, or not .cer)",
                        ": не файл сертификата этого ключа (другой ключ, 65535 байт или более "
                        "или не .cer)"));
        return kExitCertificateFileFails;
    }
    if (lookup.Frame().pfxImportAsked) {
        PrintError(operands[1] + Text(": a PFX file goes into a new container of its own: use "
                                      "vkcert-cli pfx-import FILE READER",
                                      ": файл PFX помещается в собственный новый контейнер: "
                                      "используйте vkcert-cli pfx-import ФАЙЛ СЧИТЫВАТЕЛЬ"));
        return kExitFailure;
    }
    if (ui.errorShown) {
        return kExitFailure;
    }
    // Nothing is shown when the token left meanwhile: the key has no certificate then.
    if (node->GetCertificate().empty()) {
        PrintError(Text("no key at ", "нет ключа по пути ") + operands[0]);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

extern const Command kImportCommand{"import", ImportSummary, ImportHelp, RunImport};

}  // namespace vkcli
