// vkcert-cli store add|remove|status PATH, store list: the key node's Add to and Remove from the
// user's certificate store, run as the window runs them, whether its certificate is there, and
// what the store holds.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Arguments.h"
#include "CertText.h"
#include "Command.h"
#include "KeyNode.h"
#include "Messages.h"
#include "platform/cert/CertApi.h"
#include "platform/cert/StoreFile.h"
#include "platform/cert/pkcs12/CertKeyProvInfo.h"
#include "platform/text/FormatString.h"
#include "platform/text/Utf.h"
#include "program/app/LangResource.h"
#include "program/app/UiLanguage.h"
#include "program/ops/CertStoreRegistration.h"
#include "program/token/CCertException.h"
#include "program/token/CKeyInfo.h"
#include "res/resource.h"

namespace vkcli {
namespace {

const char* StoreSummary() {
    return Text("add a key's certificate to the user's certificate store, remove it, list it",
                "добавить сертификат ключа в хранилище пользователя, удалить, перечислить");
}

const char* StoreHelp() {
    return Text(
        "Usage: vkcert-cli store add PATH\n"
        "       vkcert-cli store remove PATH\n"
        "       vkcert-cli store status PATH\n"
        "       vkcert-cli store list\n"
        "\n"
        "add registers the certificate of the key at PATH (as `vkcert-cli list --paths`\n"
        "prints it) in the user's personal certificate store with the link to its key on\n"
        "the token, as the browser's \"Add certificate to certificate store\" does; a\n"
        "certificate already there is registered again. remove takes it out as the\n"
        "browser's Remove does. status prints \"registered\" or \"not registered\".\n"
        "list prints one line per certificate of the store:\n"
        "\n"
        "  THUMBPRINT<TAB>CONTAINER<TAB>KEYSPEC<TAB>SUBJECT\n"
        "\n"
        "  THUMBPRINT  the SHA-1 hash, as `vkcert-cli pfx` prints it\n"
        "  CONTAINER   the container of the key it links to, \"-\" without a link\n"
        "  KEYSPEC     1 (exchange) or 2 (signature), \"-\" without a link\n"
        "  SUBJECT     the subject's name in simple form\n"
        "\n"
        "Damaged store files are skipped and named on standard error.\n"
        "\n"
        "Exit status: 0 done; 1 anything else (nothing at PATH, the key has no\n"
        "certificate, the store refused, remove of a certificate not in the store).\n"
        "Errors are one line on standard error.\n",
        "Использование: vkcert-cli store add ПУТЬ\n"
        "               vkcert-cli store remove ПУТЬ\n"
        "               vkcert-cli store status ПУТЬ\n"
        "               vkcert-cli store list\n"
        "\n"
        "add регистрирует сертификат ключа по ПУТИ (как его печатает `vkcert-cli list\n"
        "--paths`) в личном хранилище сертификатов пользователя со ссылкой на его ключ\n"
        "на токене, как команда браузера «Добавить сертификат в хранилище»; уже\n"
        "зарегистрированный сертификат регистрируется заново. remove удаляет его, как\n"
        "команда «Удалить» браузера. status выводит \"registered\" или \"not registered\".\n"
        "list выводит по строке на каждый сертификат хранилища:\n"
        "\n"
        "  ОТПЕЧАТОК<TAB>КОНТЕЙНЕР<TAB>ТИП<TAB>СУБЪЕКТ\n"
        "\n"
        "  ОТПЕЧАТОК  хеш SHA-1, как его печатает `vkcert-cli pfx`\n"
        "  КОНТЕЙНЕР  контейнер ключа, на который он ссылается, \"-\" без ссылки\n"
        "  ТИП        1 (обмен) или 2 (подпись), \"-\" без ссылки\n"
        "  СУБЪЕКТ    имя субъекта в простой форме\n"
        "\n"
        "Повреждённые файлы хранилища пропускаются и называются в стандартном потоке\n"
        "ошибок.\n"
        "\n"
        "Код завершения: 0 выполнено; 1 иное (по ПУТИ ничего нет, у ключа нет\n"
        "сертификата, хранилище отказало, удаление сертификата, которого нет в\n"
        "хранилище). Ошибки выводятся одной строкой в стандартный поток ошибок.\n");
}

constexpr const wchar_t* kPersonalStore = L"MY";

struct StoreCloser {
    void operator()(void* store) const { CertCloseStore(store, 0); }
};
using StorePtr = std::unique_ptr<void, StoreCloser>;

// Tabs and line ends would break the line format: each control character becomes a space.
std::string OneField(const std::wstring& text) {
    std::wstring field = text;
    for (wchar_t& c : field) {
        if (c < 0x20 || c == 0x7F) {
            c = L' ';
        }
    }
    return WideToUtf8(field);
}

void PrintDamagedFiles() {
    const std::optional<std::filesystem::path> folder = vk::cert::SystemStoreFolder(kPersonalStore);
    if (!folder) {
        return;
    }
    for (const std::filesystem::path& file : vk::cert::DamagedStoreFiles(*folder)) {
        PrintError(WideToUtf8(
            FormatString(LoadLangString(IDS_STORE_FILE_DAMAGED), Utf8ToWide(file.string()))));
    }
}

int ListStore() {
    std::string out;
    if (StorePtr store{CertOpenSystemStoreW(0, kPersonalStore)}) {
        for (PCCERT_CONTEXT context = CertEnumCertificatesInStore(store.get(), nullptr);
             context != nullptr; context = CertEnumCertificatesInStore(store.get(), context)) {
            const std::vector<BYTE> der(context->pbCertEncoded,
                                        context->pbCertEncoded + context->cbCertEncoded);
            const std::optional<vk::pkcs12::KeyProvInfo> link =
                vk::pkcs12::ReadKeyProvInfo(context);
            out += Thumbprint(der) + '\t';
            out += link ? OneField(link->container) + '\t' + std::to_string(link->keySpec)
                        : std::string("-\t-");
            out += '\t' + SimpleSubject(der) + '\n';
        }
    }
    PrintDamagedFiles();
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

// The key of the node, looked up in the tree; null when the token left.
CKeyInfo* KeyOf(STreeItemInfo::CCertificateItemInfo& node) {
    try {
        SVKCERTTREE::CCertTreePtr tree;
        return tree->FindKey(node.GetTokenName(), node.GetContainerName(), node.GetKeySpec());
    } catch (const SVKCERT::SEXCPT::CCertException&) {
        return nullptr;
    }
}

int Status(CKeyInfo& key) {
    if (key.IsRegistered()) {
        std::fputs("registered\n", stdout);
    } else {
        if (const std::wstring damaged = SVKCERT::DamagedStoreFileOf(key.GetCertificate());
            !damaged.empty()) {
            PrintError(WideToUtf8(FormatString(LoadLangString(IDS_STORE_FILE_DAMAGED), damaged)));
        }
        std::fputs("not registered\n", stdout);
    }
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

// The node's own command when the window offers it; otherwise (adding a certificate that is
// registered, removing one that is not) the same operation, so that it is done again or its
// failure told as the window tells it.
int Change(KeyNodeLookup& lookup, STreeItemInfo::CCertificateItemInfo& node, CKeyInfo& key,
           SVKCERT::EStoreChange change) {
    const UINT command = change == SVKCERT::EStoreChange::Add ? ID_ACTIONS_ADD_TO_STORE
                                                              : ID_ACTIONS_REMOVE_FROM_STORE;
    CliUserInterface ui(std::wstring(), 1, false);
    if (node.IsCommandEnabled(command)) {
        node.OnCommand(command);
    } else {
        SVKCERTTREE::CCertTreePtr tree;
        const CFrameFacade facade(&lookup.Frame());
        SVKCERT::ChangeStoreRegistration(change, key, tree->GetProviderDescriptor(), facade, &node);
    }
    return ui.errorShown ? kExitFailure : kExitOk;
}

int RunStore(std::span<char*> args) {
    std::vector<std::string> operands;
    const EArguments read = ReadArguments(args, "store", StoreHelp(), {}, 2, operands);
    if (read != EArguments::Read) {
        return read == EArguments::HelpShown ? kExitOk : kExitFailure;
    }
    const std::string action = operands.empty() ? std::string() : operands[0];
    const bool withPath = action == "add" || action == "remove" || action == "status";
    if (!(withPath && operands.size() == 2) && !(action == "list" && operands.size() == 1)) {
        PrintError(
            Text("add PATH, remove PATH, status PATH or list is needed (see vkcert-cli "
                 "store --help)",
                 "нужно add ПУТЬ, remove ПУТЬ, status ПУТЬ или list (см. vkcert-cli "
                 "store --help)"));
        return kExitFailure;
    }
    LoadUiLanguage();
    if (action == "list") {
        return ListStore();
    }
    KeyNodeLookup lookup;
    STreeItemInfo::CCertificateItemInfo* node = lookup.Find(Utf8ToWide(operands[1]));
    CKeyInfo* key = node != nullptr ? KeyOf(*node) : nullptr;
    if (key == nullptr) {
        PrintError(Text("no key at ", "нет ключа по пути ") + operands[1]);
        return kExitFailure;
    }
    if (!key->HasCertificate()) {
        PrintError(operands[1] + Text(": the key has no certificate", ": у ключа нет сертификата"));
        return kExitFailure;
    }
    if (action == "status") {
        return Status(*key);
    }
    return Change(lookup, *node, *key,
                  action == "add" ? SVKCERT::EStoreChange::Add : SVKCERT::EStoreChange::Remove);
}

}  // namespace

extern const Command kStoreCommand{"store", StoreSummary, StoreHelp, RunStore};

}  // namespace vkcli
