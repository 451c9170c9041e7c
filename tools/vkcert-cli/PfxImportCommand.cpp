// vkcert-cli pfx-import FILE READER [--container NAME] [--exportable] [--password-stdin]: the PFX
// import wizard of the browser, its pages answered from the command line.
#include <cstdio>
#include <optional>
#include <string>

#include "Command.h"
#include "Messages.h"
#include "PasswordInput.h"
#include "platform/crypto/SecureBytes.h"
#include "platform/text/Utf.h"
#include "program/app/UiLanguage.h"
#include "program/tree/CCertTree.h"
#include "program/tree/CTreeMessageHub.h"
#include "program/tree/PfxImportCommand.h"
#include "program/ui/CFrameFacade.h"
#include "program/ui/CNullFrame.h"
#include "program/ui/IUserInterface.h"
#include "res/resource.h"

namespace vkcli {
namespace {

const char* PfxImportSummary() {
    return Text("import a key and its certificate from a PFX file into a new container",
                "импортировать ключ и его сертификат из файла PFX в новый контейнер");
}

const char* PfxImportHelp() {
    return Text(
        "Usage: vkcert-cli pfx-import FILE READER [--container NAME] [--exportable]\n"
        "                             [--password-stdin]\n"
        "\n"
        "Runs the browser's PFX import: the one certificate of FILE that has its private\n"
        "key goes, with the key, into a new container of the token in READER. The user\n"
        "must be logged in to the token (vkcert-cli login READER).\n"
        "\n"
        "  --container NAME  the new container's name (a unique name otherwise)\n"
        "  --exportable      the key may be exported again from the token\n"
        "  --password-stdin  read the file's password from the first line of standard\n"
        "                    input (otherwise it is asked on the terminal, not echoed)\n"
        "\n"
        "Prints the container's name. Exit status: 0 imported; 2 wrong password; 3 not a\n"
        "PKCS #12 file, or damaged; 5 not exactly one certificate with its key; 1 anything\n"
        "else. Errors are one line on standard error.\n",
        "Использование: vkcert-cli pfx-import ФАЙЛ СЧИТЫВАТЕЛЬ [--container ИМЯ]\n"
        "                             [--exportable] [--password-stdin]\n"
        "\n"
        "Выполняет импорт PFX браузера: единственный сертификат ФАЙЛА, у которого есть\n"
        "закрытый ключ, вместе с ключом помещается в новый контейнер токена в\n"
        "СЧИТЫВАТЕЛЕ. Пользователь должен войти на токен (vkcert-cli login СЧИТЫВАТЕЛЬ).\n"
        "\n"
        "  --container ИМЯ   имя нового контейнера (иначе уникальное имя)\n"
        "  --exportable      ключ можно будет снова экспортировать с токена\n"
        "  --password-stdin  прочитать пароль файла из первой строки стандартного ввода\n"
        "                    (иначе он запрашивается на терминале без отображения)\n"
        "\n"
        "Выводит имя контейнера. Код завершения: 0 импортировано; 2 неверный пароль;\n"
        "3 не файл PKCS #12 или файл повреждён; 5 в файле не ровно один сертификат с\n"
        "ключом; 1 иное. Ошибки выводятся одной строкой в стандартный поток ошибок.\n");
}

struct Arguments {
    std::string file;
    std::string reader;
    std::optional<std::string> container;
    bool exportable = false;
    bool passwordStdin = false;
};

// A frame without windows whose message hub takes the wizard's token update.
class CliWizardFrame final : public CNullFrame {
public:
    STreeItemInfo::CTreeMessageHub* MessageHub() override { return &m_hub; }

private:
    STreeItemInfo::CTreeMessageHub m_hub;
};

// Answers the wizard's pages as the arguments say; error pages and message boxes become lines
// on standard error. Installed while it lives.
class CliWizardUi final : public IUserInterface {
public:
    CliWizardUi(const Arguments& args, std::wstring password)
        : m_args(args), m_password(std::move(password)), m_previous(SetUserInterface(this)) {}
    ~CliWizardUi() override {
        SetUserInterface(m_previous);
        vk::crypto::WipeString(m_password);
    }
    CliWizardUi(const CliWizardUi&) = delete;
    CliWizardUi& operator=(const CliWizardUi&) = delete;

    int MessageBox(const std::wstring& text, const std::wstring&, UINT type) override {
        PrintError(WideToUtf8(text));
        return UnattendedAnswer(type);
    }

    SWizardPageResult RunWizardPage(const SWizardPageRequest& page) override {
        SWizardPageResult result;
        result.values = page.values;
        switch (page.templateId) {
            case IDD_PFX_IMPORT_PASSWORD:
                return AnswerPassword(page);
            case IDD_PFX_IMPORT_CONTAINER:
                if (m_args.container) {
                    result.values.texts[IDC_CONTAINER_NAME] = Utf8ToWide(*m_args.container);
                }
                result.values.checks[IDC_ENABLE_EXPORT] = m_args.exportable;
                if (const auto refusal = page.check ? page.check(result.values) : std::nullopt) {
                    PrintError(WideToUtf8(*refusal));
                    return {};
                }
                container = result.values.texts[IDC_CONTAINER_NAME];
                break;
            case IDD_PFX_IMPORT_ERROR:
                endMessage = page.messageId;
                PrintError(WideToUtf8(page.values.texts.at(IDC_IMP_ERROR_TEXT)));
                break;
            case IDD_PFX_IMPORT_SUCCESS:
                endMessage = page.messageId;
                break;
            default:
                return {};
        }
        result.endCode = IDOK;
        return result;
    }

    UINT endMessage = 0;  // the message of the page the wizard ended on; 0: cancelled
    std::wstring container;

private:
    SWizardPageResult AnswerPassword(const SWizardPageRequest& page) {
        SWizardPageResult result;
        result.values = page.values;
        const auto limit = page.limits.find(IDC_PASSWORD);
        if (limit != page.limits.end() && std::cmp_greater(m_password.size(), limit->second)) {
            PrintError(WideToUtf8(page.limitMessage));
            return {};
        }
        result.values.texts[IDC_PASSWORD] = m_password;
        result.endCode = IDOK;
        return result;
    }

    const Arguments& m_args;
    std::wstring m_password;
    IUserInterface* m_previous;
};

int ExitCodeOf(UINT endMessage) {
    switch (endMessage) {
        case IDS_PFX_IMPORT_SUCCEEDED:
            return kExitOk;
        case IDS_PFX_WRONG_PASSWORD:
            return kExitWrongPassword;
        case IDS_PFX_PARSE_FAILED:
            return kExitBadFile;
        case IDS_PFX_NO_CERTIFICATE:
            return kExitPfxContents;
        default:
            return kExitFailure;
    }
}

std::optional<Arguments> Parse(std::span<char*> args) {
    Arguments parsed;
    std::vector<std::string> operands;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string text = args[i];
        if (text == "--container" && i + 1 < args.size()) {
            parsed.container = args[++i];
        } else if (text == "--exportable") {
            parsed.exportable = true;
        } else if (text == "--password-stdin") {
            parsed.passwordStdin = true;
        } else if ((text.size() > 1 && text[0] == '-') || operands.size() == 2) {
            PrintError(
                Text("unknown argument: ", "неизвестный аргумент: ") + text +
                Text(" (see vkcert-cli pfx-import --help)", " (см. vkcert-cli pfx-import --help)"));
            return std::nullopt;
        } else {
            operands.push_back(text);
        }
    }
    if (operands.size() != 2) {
        PrintError(Text("FILE and READER are needed (see vkcert-cli pfx-import --help)",
                        "нужны ФАЙЛ и СЧИТЫВАТЕЛЬ (см. vkcert-cli pfx-import --help)"));
        return std::nullopt;
    }
    parsed.file = operands[0];
    parsed.reader = operands[1];
    return parsed;
}

int RunPfxImport(std::span<char*> args) {
    for (const char* arg : args) {
        if (std::string(arg) == "--help" || std::string(arg) == "-h") {
            std::fputs(PfxImportHelp(), stdout);
            return kExitOk;
        }
    }
    const std::optional<Arguments> parsed = Parse(args);
    if (!parsed) {
        return kExitFailure;
    }
    auto narrow = parsed->passwordStdin ? ReadPasswordFromStdin()
                                        : ReadPasswordFromTerminal(Text("Password: ", "Пароль: "));
    if (!narrow) {
        PrintError(parsed->passwordStdin
                       ? Text("cannot read the password from standard input",
                              "не удаётся прочитать пароль из стандартного ввода")
                       : Text("no terminal to ask for the password; use --password-stdin",
                              "нет терминала для запроса пароля; используйте --password-stdin"));
        return kExitFailure;
    }
    std::wstring password = Utf8ToWide(std::string_view(narrow->data(), narrow->size()));
    narrow.reset();
    LoadUiLanguage();
    SVKCERTTREE::CCertTreePtr tree;
    CliWizardFrame frame;
    const CFrameFacade facade(&frame);
    CliWizardUi ui(*parsed, std::move(password));
    STreeItemInfo::RunPfxImportWizard(facade, tree->GetProviderDescriptor(),
                                      Utf8ToWide(parsed->file), Utf8ToWide(parsed->reader));
    if (ui.endMessage == IDS_PFX_IMPORT_SUCCEEDED) {
        std::puts(WideToUtf8(ui.container).c_str());
    }
    return ExitCodeOf(ui.endMessage);
}

}  // namespace

extern const Command kPfxImportCommand{"pfx-import", PfxImportSummary, PfxImportHelp, RunPfxImport};

}  // namespace vkcli
