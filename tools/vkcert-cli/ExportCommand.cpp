// vkcert-cli export PATH FILE [--der|--base64] [--force]: the Export of a key node, the window's
// own command answered with FILE.
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

const char* ExportSummary() {
    return Text("write the certificate of a key to a DER or Base64 file",
                "записать сертификат ключа в файл DER или Base64");
}

const char* ExportHelp() {
    return Text(
        "Usage: vkcert-cli export PATH FILE [--der|--base64] [--force]\n"
        "\n"
        "Writes the certificate of the key at PATH (as `vkcert-cli list --paths` prints\n"
        "it) to FILE, byte for byte as the browser's Export does: \".cer\" is added unless\n"
        "FILE ends in it, whatever the case.\n"
        "\n"
        "  --der     a DER file (the default)\n"
        "  --base64  a Base64 file between armour lines\n"
        "  --force   replace an existing file (otherwise it is kept)\n"
        "\n"
        "Exit status: 0 written; 1 anything else (nothing at PATH, no certificate, the\n"
        "file exists, the write failed). Errors are one line on standard error.\n",
        "Использование: vkcert-cli export ПУТЬ ФАЙЛ [--der|--base64] [--force]\n"
        "\n"
        "Записывает сертификат ключа по ПУТИ (как его печатает `vkcert-cli list --paths`)\n"
        "в ФАЙЛ байт в байт, как команда «Экспорт» браузера: к имени добавляется \".cer\",\n"
        "если оно так не оканчивается (в любом регистре).\n"
        "\n"
        "  --der     файл DER (по умолчанию)\n"
        "  --base64  файл Base64 между строками-ограничителями\n"
        "  --force   заменить существующий файл (иначе он сохраняется)\n"
        "\n"
        "Код завершения: 0 записано; 1 иное (по ПУТИ ничего нет, нет сертификата, файл\n"
        "существует, запись не удалась). Ошибки выводятся одной строкой в стандартный\n"
        "поток ошибок.\n");
}

int RunExport(std::span<char*> args) {
    std::vector<std::string> operands;
    int filterIndex = 1;
    bool force = false;
    const EArguments read = ReadArguments(args, "export", ExportHelp(),
                                          {{"--der", [&] { filterIndex = 1; }},
                                           {"--base64", [&] { filterIndex = 2; }},
                                           {"--force", [&] { force = true; }}},
                                          2, operands);
    if (read != EArguments::Read) {
        return read == EArguments::HelpShown ? kExitOk : kExitFailure;
    }
    if (operands.size() != 2) {
        PrintError(Text("PATH and FILE are needed (see vkcert-cli export --help)",
                        "нужны ПУТЬ и ФАЙЛ (см. vkcert-cli export --help)"));
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
    if (!node->IsCommandEnabled(ID_ACTIONS_EXPORT_CERT)) {
        PrintError(operands[0] + Text(": the key has no certificate", ": у ключа нет сертификата"));
        return kExitFailure;
    }
    CliUserInterface ui(file, filterIndex, force);
    node->OnCommand(ID_ACTIONS_EXPORT_CERT);
    if (!ui.asked) {
        PrintError(operands[0] + Text(": the key has no certificate", ": у ключа нет сертификата"));
        return kExitFailure;
    }
    if (ui.refused) {
        PrintError(WideToUtf8(SVKCERT::WithExtension(file, L"CER")) +
                   Text(": the file exists; --force replaces it",
                        ": файл существует; --force заменяет его"));
        return kExitFailure;
    }
    return ui.errorShown ? kExitFailure : kExitOk;
}

}  // namespace

extern const Command kExportCommand{"export", ExportSummary, ExportHelp, RunExport};

}  // namespace vkcli
