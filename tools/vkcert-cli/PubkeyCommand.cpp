// vkcert-cli pubkey PATH: the public key of a key node as a PEM "PUBLIC KEY" block.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>
#include <string>

#include "Arguments.h"
#include "Command.h"
#include "KeyNode.h"
#include "Messages.h"
#include "platform/text/Utf.h"
#include "program/ops/KeyPublicKey.h"
#include "program/token/CCertException.h"
#include "program/token/CKeyInfo.h"
#include "program/tree/NodeCommandRules.h"

namespace vkcli {
namespace {

const char* PubkeySummary() {
    return Text("print the public key of a key as PEM", "вывести открытый ключ ключа в виде PEM");
}

const char* PubkeyHelp() {
    return Text(
        "Usage: vkcert-cli pubkey PATH\n"
        "\n"
        "Prints the public key of the key at PATH (as `vkcert-cli list --paths` prints\n"
        "it) as a \"PUBLIC KEY\" PEM block (SubjectPublicKeyInfo), as the import matches\n"
        "certificate files against it: from the key's certificate, or for a key without\n"
        "one from the token, which needs the user logged in (vkcert-cli login).\n"
        "\n"
        "Exit status: 0 printed; 1 anything else (nothing at PATH, not logged in).\n"
        "Errors are one line on standard error.\n",
        "Использование: vkcert-cli pubkey ПУТЬ\n"
        "\n"
        "Выводит открытый ключ ключа по ПУТИ (как его печатает `vkcert-cli list --paths`)\n"
        "блоком PEM \"PUBLIC KEY\" (SubjectPublicKeyInfo), с которым импорт сверяет файлы\n"
        "сертификатов: из сертификата ключа, а для ключа без сертификата из токена, что\n"
        "требует входа пользователя (vkcert-cli login).\n"
        "\n"
        "Код завершения: 0 выведен; 1 иное (по ПУТИ ничего нет, вход не выполнен).\n"
        "Ошибки выводятся одной строкой в стандартный поток ошибок.\n");
}

// The RSAPublicKey DER as a PEM SubjectPublicKeyInfo; empty when it does not decode.
std::string PublicKeyPem(const std::vector<BYTE>& der) {
    const unsigned char* p = der.data();
    EVP_PKEY* key = d2i_PublicKey(EVP_PKEY_RSA, nullptr, &p, static_cast<long>(der.size()));
    BIO* bio = BIO_new(BIO_s_mem());
    std::string pem;
    if (key != nullptr && bio != nullptr && PEM_write_bio_PUBKEY(bio, key) == 1) {
        char* data = nullptr;
        const long size = BIO_get_mem_data(bio, &data);
        pem.assign(data, static_cast<std::size_t>(size));
    }
    BIO_free(bio);
    EVP_PKEY_free(key);
    return pem;
}

int RunPubkey(std::span<char*> args) {
    std::vector<std::string> operands;
    const EArguments read = ReadArguments(args, "pubkey", PubkeyHelp(), {}, 1, operands);
    if (read != EArguments::Read) {
        return read == EArguments::HelpShown ? kExitOk : kExitFailure;
    }
    if (operands.empty()) {
        PrintError(Text("no PATH given (see vkcert-cli pubkey --help)",
                        "не указан ПУТЬ (см. vkcert-cli pubkey --help)"));
        return kExitFailure;
    }
    const std::string& path = operands[0];
    KeyNodeLookup lookup;
    STreeItemInfo::CCertificateItemInfo* node = lookup.Find(Utf8ToWide(path));
    std::string pem;
    try {
        SVKCERTTREE::CCertTreePtr tree;
        CKeyInfo* key =
            node == nullptr
                ? nullptr
                : tree->FindKey(node->GetTokenName(), node->GetContainerName(), node->GetKeySpec());
        if (key == nullptr) {
            PrintError(Text("no key at ", "нет ключа по пути ") + std::string(path));
            return kExitFailure;
        }
        const std::vector<BYTE> der =
            SVKCERT::ReadKeyPublicKey(*key, STreeItemInfo::LoginStateOf(node->GetTokenName()), {});
        if (der.empty() && !key->HasCertificate()) {
            PrintError(path + std::string(Text(": a key without a certificate needs the user of "
                                               "the token logged in",
                                               ": для ключа без сертификата нужен вход "
                                               "пользователя токена")));
            return kExitFailure;
        }
        pem = PublicKeyPem(der);
    } catch (const SVKCERT::SEXCPT::CCertException&) {
        pem.clear();
    }
    if (pem.empty()) {
        PrintError(path + std::string(Text(": the public key cannot be read",
                                           ": не удаётся прочитать открытый ключ")));
        return kExitFailure;
    }
    std::fwrite(pem.data(), 1, pem.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}

}  // namespace

extern const Command kPubkeyCommand{"pubkey", PubkeySummary, PubkeyHelp, RunPubkey};

}  // namespace vkcli
