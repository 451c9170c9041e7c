// vkcert-cli pfx-export PATH FILE [--password-stdin] [--force]: the Export of a key node with
// the PFX file type, the browser's PFX export wizard answered from the command line.
#include <cstdio>
#include <optional>
#include <string>

#include "Arguments.h"
#include "Command.h"
#include "KeyNode.h"
#include "Messages.h"
#include "PasswordInput.h"
#include "platform/errors/WinError.h"
#include "platform/text/Utf.h"
#include "program/app/UiLanguage.h"
#include "program/ops/CertificateFileExport.h"
#include "program/token/LoginState.h"
#include "program/tree/NodeCommandRules.h"
#include "res/resource.h"

namespace vkcli {
namespace {

constexpr int kPfxFilterIndex = 3;

const char* PfxExportSummary() {
    return Text("write a key with its certificate to a password-protected PFX file",
                "записать ключ с сертификатом в защищённый паролем файл PFX");
}

const char* PfxExportHelp() {
    return Text(
        "Usage: vkcert-cli pfx-export PATH FILE [--password-stdin] [--force]\n"
        "\n"
        "Runs the browser's PFX export for the key at PATH (as `vkcert-cli list --paths`\n"
        "prints it): its private key and certificate go into FILE, protected by a\n"
        "password; \".pfx\" is added unless FILE ends in it, whatever the case. The user\n"
        "must be logged in to the token, and the key must allow export.\n"
        "\n"
        "  --password-stdin  read the password from the first line of standard input\n"
        "                    (otherwise it is asked twice on the terminal, not echoed)\n"
        "  --force           replace an existing file (otherwise it is kept)\n"
        "\n"
        "Exit status: 0 written; 6 the key may not be exported; 1 anything else (nothing\n"
        "at PATH, not logged in, the file exists, the write failed). Errors are one line\n"
        "on standard error; a failure leaves no file, or the old one.\n",
        "Использование: vkcert-cli pfx-export ПУТЬ ФАЙЛ [--password-stdin] [--force]\n"
        "\n"
        "Выполняет экспорт PFX браузера для ключа по ПУТИ (как его печатает\n"
        "`vkcert-cli list --paths`): закрытый ключ и сертификат записываются в ФАЙЛ под\n"
        "защитой пароля; к имени добавляется \".pfx\", если оно так не оканчивается (в\n"
        "любом регистре). Пользователь должен войти на токен, а ключ — допускать экспорт.\n"
        "\n"
        "  --password-stdin  прочитать пароль из первой строки стандартного ввода\n"
        "                    (иначе он дважды запрашивается на терминале без отображения)\n"
        "  --force           заменить существующий файл (иначе он сохраняется)\n"
        "\n"
        "Код завершения: 0 записано; 6 ключ не допускает экспорта; 1 иное (по ПУТИ ничего\n"
        "нет, вход не выполнен, файл существует, запись не удалась). Ошибки выводятся\n"
        "одной строкой в стандартный поток ошибок; при ошибке файла нет или остаётся\n"
        "прежний.\n");
}

// The password from standard input, or typed twice on the terminal; nothing (with the reason
// printed) when it cannot be had.
std::optional<std::wstring> ReadPassword(bool fromStdin) {
    if (fromStdin) {
        auto line = ReadPasswordFromStdin();
        if (!line) {
            PrintError(Text("cannot read the password from standard input",
                            "не удаётся прочитать пароль из стандартного ввода"));
            return std::nullopt;
        }
        return Utf8ToWide(std::string_view(line->data(), line->size()));
    }
    auto first = ReadPasswordFromTerminal(Text("Password: ", "Пароль: "));
    auto second = first ? ReadPasswordFromTerminal(Text("Confirm password: ", "Повторите пароль: "))
                        : std::nullopt;
    if (!first || !second) {
        PrintError(Text("no terminal to ask for the password; use --password-stdin",
                        "нет терминала для запроса пароля; используйте --password-stdin"));
        return std::nullopt;
    }
    if (*first != *second) {
        PrintError(Text("the passwords differ", "пароли не совпадают"));
        return std::nullopt;
    }
    return Utf8ToWide(std::string_view(first->data(), first->size()));
}

int RunPfxExport(std::span<char*> args) {
    std::vector<std::string> operands;
    bool fromStdin = false;
    bool force = false;
    const EArguments read = ReadArguments(
        args, "pfx-export", PfxExportHelp(),
        {{"--password-stdin", [&] { fromStdin = true; }}, {"--force", [&] { force = true; }}}, 2,
        operands);
    if (read != EArguments::Read) {
        return read == EArguments::HelpShown ? kExitOk : kExitFailure;
    }
    if (operands.size() != 2) {
        PrintError(Text("PATH and FILE are needed (see vkcert-cli pfx-export --help)",
                        "нужны ПУТЬ и ФАЙЛ (см. vkcert-cli pfx-export --help)"));
        return kExitFailure;
    }
    LoadUiLanguage();
    KeyNodeLookup lookup;
    STreeItemInfo::CCertificateItemInfo* node = lookup.Find(Utf8ToWide(operands[0]));
    if (node == nullptr || !node->IsCommandEnabled(ID_ACTIONS_EXPORT_CERT)) {
        PrintError(Text("no key with a certificate at ", "нет ключа с сертификатом по пути ") +
                   operands[0]);
        return kExitFailure;
    }
    // The window offers the PFX type only to a logged-in user.
    if (STreeItemInfo::LoginStateOf(node->GetTokenName()) != SVKCERT::kLoginUser) {
        PrintError(Text("the user is not logged in to the token (vkcert-cli login READER)",
                        "вход на токен не выполнен (vkcert-cli login СЧИТЫВАТЕЛЬ)"));
        return kExitFailure;
    }
    std::optional<std::wstring> password = ReadPassword(fromStdin);
    if (!password) {
        return kExitFailure;
    }
    const std::wstring file = Utf8ToWide(operands[1]);
    CliUserInterface ui(file, kPfxFilterIndex, force);
    ui.SetWizardPassword(std::move(*password));
    node->OnCommand(ID_ACTIONS_EXPORT_CERT);
    if (ui.refused) {
        PrintError(WideToUtf8(SVKCERT::WithExtension(file, L"PFX")) +
                   Text(": the file exists; --force replaces it",
                        ": файл существует; --force заменяет его"));
        return kExitFailure;
    }
    if (ui.wizardEnd == IDS_PFX_EXPORT_SUCCEEDED) {
        return kExitOk;
    }
    if (ui.wizardEnd == IDS_PFX_LOAD_KEY_FAILED &&
        (ui.wizardError == NTE_BAD_KEY_STATE || ui.wizardError == NTE_PERM)) {
        return kExitKeyNotExportable;
    }
    return kExitFailure;
}

}  // namespace

extern const Command kPfxExportCommand{"pfx-export", PfxExportSummary, PfxExportHelp, RunPfxExport};

}  // namespace vkcli
